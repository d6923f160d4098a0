#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace busdesk {

// Bytes that must not outlive their use: a password, a key, an opened record. The buffer has a
// fixed size (it never grows, so no reallocation leaves an unwiped copy behind) and is zeroed
// when the object is destroyed, assigned over or cleared. Copies are deliberate and each copy
// wipes itself. Not locked in memory: that would need whole pages of its own per secret.
class SecretBytes {
  public:
    SecretBytes() = default;
    // `size` zero bytes.
    explicit SecretBytes(std::size_t size);
    // A copy of `text`; the caller wipes its own copy if it has to.
    explicit SecretBytes(std::string_view text);
    SecretBytes(const unsigned char* data, std::size_t size);
    ~SecretBytes();
    SecretBytes(const SecretBytes& other);
    SecretBytes& operator=(const SecretBytes& other);
    SecretBytes(SecretBytes&& other) noexcept;
    SecretBytes& operator=(SecretBytes&& other) noexcept;

    unsigned char* data() { return bytes_.get(); }
    const unsigned char* data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // The bytes as text, valid while this object lives and is not assigned over.
    std::string_view view() const;
    // Wipes and empties.
    void clear();

    // Compares in time independent of the contents.
    bool operator==(const SecretBytes& other) const;

  private:
    std::unique_ptr<unsigned char[]> bytes_;
    std::size_t size_ = 0;
};

// Zeroes `text` in place (for a std::string that briefly held a secret) and empties it.
void wipeString(std::string& text);

}  // namespace busdesk
