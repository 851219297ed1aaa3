// A file's bytes, read once: mapped into memory where the system can map it, else read
// whole into a buffer of the file's size. The mapping is read-only and private.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quillon_check {

class FileBytes {
 public:
  FileBytes() = default;
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;
  ~FileBytes();

  // False, with the reason in plain words, when the file cannot be opened or read.
  bool Open(const std::string& path, std::string* reason);

  const std::uint8_t* Data() const { return data_; }
  std::size_t Size() const { return size_; }

 private:
  bool Read(const std::string& path, std::string* reason);

  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  void* mapping_ = nullptr;  // the system's mapping, when the file is mapped
  std::vector<std::uint8_t> buffer_;
};

}  // namespace quillon_check
