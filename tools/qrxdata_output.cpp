#include "qrxdata_output.h"

#include <stdexcept>
#include <system_error>

TPendingOutput::TPendingOutput(const std::filesystem::path& target)
    : Target_(target), Aside_(target.string() + ".part") {
  Stream_.open(Aside_, std::ios::binary | std::ios::trunc);
  if (!Stream_) throw std::runtime_error("cannot create " + Aside_.string());
}

TPendingOutput::~TPendingOutput() {
  if (Committed_) return;
  Stream_.close();
  std::error_code ignored;
  std::filesystem::remove(Aside_, ignored);
}

void TPendingOutput::Commit() {
  Stream_.close();
  if (!Stream_) throw std::runtime_error("cannot write " + Aside_.string());
  std::error_code error;
  std::filesystem::rename(Aside_, Target_, error);
  if (error) throw std::runtime_error("cannot replace " + Target_.string() + ": " + error.message());
  Committed_ = true;
}
