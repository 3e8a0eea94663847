// Text held by value with its characters inline, for the texts that are
// copied and kept: the status line, the current slot's name and the copies
// the menus hand on. A copy copies only the characters held and never touches
// the heap, so no frame allocates. Constant tables hold their texts at their
// own length, as std::string_view, and are copied into one where needed.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

class InlineString {
  public:
    // Room for the longest text Drapelle makes, the status line's 160-byte
    // format buffer, terminating NUL included.
    static constexpr std::size_t kCapacity = 160;

    constexpr InlineString() : length_(0), chars_{} {}

    // From a literal or a character buffer holding a C string, which ends at
    // its first NUL or else at the buffer's last byte. Only an array that fits
    // is taken, which is known at compile time, so nothing is ever cut.
    template <std::size_t N>
    requires(N <= kCapacity) constexpr InlineString(const char (&text)[N]) : length_(0), chars_{} {
        takeCString(text, N);
    }

    // The same from a std::array buffer (debug builds check its every index).
    template <std::size_t N>
    requires(N <= kCapacity) explicit InlineString(const std::array<char, N>& text)
        : length_(0), chars_{} {
        takeCString(text, N);
    }

    // A longer array would have to be cut.
    template <std::size_t N>
    requires(N > kCapacity) InlineString(const char (&text)[N])
    = delete;

    // From a text of the plug-in's constant tables, which hold each text at
    // its own length; the tables assert that every text fits (fitsInline), so
    // the bound here only guards against what cannot happen.
    explicit InlineString(std::string_view text)
        : length_(text.size() < kCapacity ? text.size() : kCapacity - 1) {
        std::memcpy(chars_, text.data(), length_);
        chars_[length_] = '\0';
    }

    InlineString(const InlineString& other) : length_(other.length_) {
        std::memcpy(chars_, other.chars_, length_ + 1);
    }

    InlineString& operator=(const InlineString& other) {
        length_ = other.length_;
        std::memmove(chars_, other.chars_, length_ + 1);
        return *this;
    }

    const char* c_str() const { return chars_; }
    std::size_t size() const { return length_; }
    operator std::string_view() const { return {chars_, length_}; }

    // Same length, same bytes; one overload for each kind of text compared,
    // so that no comparison has two ways to convert.
    friend bool operator==(const InlineString& text, std::string_view other) {
        return std::string_view(text) == other;
    }
    friend bool operator==(const InlineString& text, const InlineString& other) {
        return text == std::string_view(other);
    }
    friend bool operator==(const InlineString& text, const char* other) {
        return text == std::string_view(other);
    }

  private:
    template <class Buffer> constexpr void takeCString(const Buffer& text, std::size_t size) {
        while (length_ + 1 < size && text[length_] != '\0') {
            chars_[length_] = text[length_];
            ++length_;
        }
    }

    std::size_t length_; // characters held, before the terminating NUL
    char chars_[kCapacity];
};

// Whether every text of a table fits an InlineString whole.
template <std::size_t N> constexpr bool fitsInline(const std::string_view (&texts)[N]) {
    for (std::string_view text : texts) {
        if (text.size() >= InlineString::kCapacity) return false;
    }
    return true;
}
