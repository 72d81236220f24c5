#pragma once
// An output file that appears whole or not at all: it is written beside its final name and
// renamed over it only when every byte went out. Until then an older file of that name stays
// untouched, and the file written aside is removed if the work is abandoned.
#include <fstream>
#include <string>

class TPendingOutput {
 public:
  explicit TPendingOutput(const std::string& target);  // UTF-8
  ~TPendingOutput();
  TPendingOutput(const TPendingOutput&) = delete;
  TPendingOutput& operator=(const TPendingOutput&) = delete;

  std::ostream& Stream() { return Stream_; }
  // Closes the file and moves it into place. Throws std::runtime_error when that fails.
  void Commit();

 private:
  std::string Target_;
  std::string Aside_;
  std::ofstream Stream_;
  bool Committed_ = false;
};
