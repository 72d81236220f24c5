#include "qrxdata_output.h"

#include <stdexcept>
#include <system_error>

#include "qrx_console.h"

TPendingOutput::TPendingOutput(const std::string& target) : Target_(target), Aside_(target + ".part") {
  Stream_.open(PathFromUtf8(Aside_), std::ios::binary | std::ios::trunc);
  if (!Stream_) throw std::runtime_error("cannot create " + Aside_);
}

TPendingOutput::~TPendingOutput() {
  if (Committed_) return;
  Stream_.close();
  std::error_code ignored;
  std::filesystem::remove(PathFromUtf8(Aside_), ignored);
}

void TPendingOutput::Commit() {
  Stream_.close();
  if (!Stream_) throw std::runtime_error("cannot write " + Aside_);
  std::error_code error;
  std::filesystem::rename(PathFromUtf8(Aside_), PathFromUtf8(Target_), error);
  if (error) throw std::runtime_error("cannot replace " + Target_ + ": " + error.message());
  Committed_ = true;
}
