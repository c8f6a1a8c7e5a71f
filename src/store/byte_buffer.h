// The bytes of a record file held in memory: a growable buffer like a string, except that
// growing it leaves the new bytes as they are, so that a file read into it is written to memory
// once (a string would zero all of it first: at 200 MB, as long again as the read).
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

class ByteBuffer {
 public:
  ByteBuffer() = default;
  ByteBuffer(std::string_view bytes) { append(bytes.data(), bytes.size()); }
  ByteBuffer(const std::string& bytes) : ByteBuffer(std::string_view(bytes)) {}
  ByteBuffer(const ByteBuffer& other) : ByteBuffer(std::string_view(other)) {}
  ByteBuffer(ByteBuffer&& other) noexcept { swap(other); }
  ByteBuffer& operator=(ByteBuffer other) noexcept {
    swap(other);
    return *this;
  }
  void swap(ByteBuffer& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
  }

  char* data() { return data_.get(); }
  const char* data() const { return data_.get(); }
  size_t size() const { return size_; }
  size_t capacity() const { return capacity_; }
  bool empty() const { return size_ == 0; }
  char& operator[](size_t i) { return data_[i]; }
  char operator[](size_t i) const { return data_[i]; }
  operator std::string_view() const { return {data_.get(), size_}; }

  // Room for this many bytes without moving them; throws std::bad_alloc.
  void reserve(size_t capacity) {
    if (capacity <= capacity_) return;
    std::unique_ptr<char[]> grown(new char[capacity]);  // not zeroed
    if (size_ > 0) memcpy(grown.get(), data_.get(), size_);
    data_.swap(grown);
    capacity_ = capacity;
  }
  // A larger size leaves the added bytes unset: the caller writes them.
  void resize(size_t size) {
    reserve(size);
    size_ = size;
  }
  void clear() { size_ = 0; }
  // Frees the memory too.
  void release() { *this = ByteBuffer(); }
  ByteBuffer& append(const char* bytes, size_t count) {
    if (size_ + count > capacity_) reserve(std::max(size_ + count, capacity_ + capacity_ / 2));
    if (count > 0) memcpy(data_.get() + size_, bytes, count);
    size_ += count;
    return *this;
  }
  void assign(size_t count, char byte) {
    resize(count);
    if (count > 0) memset(data_.get(), byte, count);
  }

  friend bool operator==(const ByteBuffer& a, std::string_view b) { return std::string_view(a) == b; }
  friend bool operator==(const ByteBuffer& a, const std::string& b) { return std::string_view(a) == b; }
  friend bool operator==(const ByteBuffer& a, const ByteBuffer& b) { return std::string_view(a) == std::string_view(b); }

 private:
  std::unique_ptr<char[]> data_;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

// Shown as its bytes where a test prints one.
inline std::ostream& operator<<(std::ostream& out, const ByteBuffer& bytes) {
  return out << std::string_view(bytes);
}
