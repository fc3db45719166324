#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>

namespace Quorl {

// Bytes on the heap that are never zero-filled: std::string and std::vector write every byte
// they add, which for a tag file read in one piece is a needless pass over all of it.
class ByteBuffer
{
public:
    ByteBuffer() = default;
    ByteBuffer(ByteBuffer&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
          capacity_(std::exchange(other.capacity_, 0))
    {
    }
    ByteBuffer& operator=(ByteBuffer&& other) noexcept
    {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
        return *this;
    }
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;
    ~ByteBuffer() { std::free(data_); }

    char* data() { return data_; }
    const char* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }

    // Room for `capacity` bytes in all; false when memory runs out (the buffer is unchanged).
    bool reserve(std::size_t capacity)
    {
        if (capacity <= capacity_) {
            return true;
        }
        void* grown = std::realloc(data_, capacity);
        if (grown == nullptr) {
            return false;
        }
        data_ = static_cast<char*>(grown);
        capacity_ = capacity;
        return true;
    }
    // Within the capacity; bytes past the old size are whatever was written there.
    void resize(std::size_t size) { size_ = size; }
    void append(std::string_view bytes)
    {
        if (size_ + bytes.size() > capacity_ &&
            !reserve(std::max(size_ + bytes.size(), capacity_ * 2))) {
            throw std::bad_alloc();
        }
        if (!bytes.empty()) {
            std::memcpy(data_ + size_, bytes.data(), bytes.size());
        }
        size_ += bytes.size();
    }
    // Gives the memory past size() back.
    void shrinkToFit()
    {
        if (size_ == 0) {
            std::free(std::exchange(data_, nullptr));
            capacity_ = 0;
        } else if (size_ < capacity_) {
            if (void* shrunk = std::realloc(data_, size_)) {
                data_ = static_cast<char*>(shrunk);
                capacity_ = size_;
            }
        }
    }

private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

} // namespace Quorl
