#include "platform/SecretBytes.h"

#include <sodium.h>

#include <cstring>
#include <utility>

namespace busdesk {

SecretBytes::SecretBytes(std::size_t size)
    : bytes_(size ? new unsigned char[size]() : nullptr), size_(size) {}

SecretBytes::SecretBytes(std::string_view text) : SecretBytes(text.size()) {
    if (size_) std::memcpy(bytes_.get(), text.data(), size_);
}

SecretBytes::SecretBytes(const unsigned char* data, std::size_t size) : SecretBytes(size) {
    if (size_) std::memcpy(bytes_.get(), data, size_);
}

SecretBytes::~SecretBytes() {
    clear();
}

SecretBytes::SecretBytes(const SecretBytes& other) : SecretBytes(other.data(), other.size()) {}

SecretBytes& SecretBytes::operator=(const SecretBytes& other) {
    if (this != &other) {
        SecretBytes copy(other);
        *this = std::move(copy);
    }
    return *this;
}

SecretBytes::SecretBytes(SecretBytes&& other) noexcept
    : bytes_(std::move(other.bytes_)), size_(std::exchange(other.size_, 0)) {}

SecretBytes& SecretBytes::operator=(SecretBytes&& other) noexcept {
    if (this != &other) {
        clear();
        bytes_ = std::move(other.bytes_);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

std::string_view SecretBytes::view() const {
    return size_ ? std::string_view(reinterpret_cast<const char*>(bytes_.get()), size_) : std::string_view();
}

void SecretBytes::clear() {
    if (bytes_) sodium_memzero(bytes_.get(), size_);
    bytes_.reset();
    size_ = 0;
}

bool SecretBytes::operator==(const SecretBytes& other) const {
    if (size_ != other.size_) return false;
    return size_ == 0 || sodium_memcmp(bytes_.get(), other.bytes_.get(), size_) == 0;
}

void wipeString(std::string& text) {
    // The whole capacity: the text may have been longer before.
    if (text.capacity()) {
        text.resize(text.capacity());
        sodium_memzero(text.data(), text.size());
    }
    text.clear();
}

}  // namespace busdesk
