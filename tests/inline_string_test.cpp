#include <cstring>
#include <new>
#include <type_traits>

#include "plugin_fixture.h"

namespace {

// Texts are taken whole from arrays that fit, and an array that does not fit
// is refused at compile time, not cut.
TEST(InlineString, TakesEveryCharacterOfAnArrayThatFits) {
    char longest[InlineString::kCapacity];
    std::memset(longest, 'x', sizeof longest - 1);
    longest[sizeof longest - 1] = '\0';
    char unterminated[InlineString::kCapacity];
    std::memset(unterminated, 'y', sizeof unterminated);
    char shortText[InlineString::kCapacity] = "Torso";

    EXPECT_EQ(InlineString(longest), std::string(159, 'x'));
    EXPECT_EQ(InlineString(unterminated), std::string(159, 'y')) << "the last byte ends the text";
    EXPECT_EQ(InlineString(shortText), "Torso");
    EXPECT_EQ(InlineString("Face").size(), 4u) << "characters of \"Face\"";
    EXPECT_TRUE(InlineString("Face") == InlineString("Face"));
    EXPECT_FALSE(InlineString("Face") == InlineString("Faces"));
    EXPECT_EQ(InlineString().size(), 0u) << "characters of an empty text";
    // A buffer of the whole capacity converts as a literal does where a function
    // takes an InlineString, through the array constructor: the explicit one from
    // a string_view would read an unterminated buffer past its end.
    EXPECT_TRUE((std::is_convertible_v<const char(&)[160], InlineString>));
    EXPECT_FALSE((std::is_constructible_v<InlineString, const char(&)[161]>));
}

// A table's texts are held at their own length and copied whole; the tables
// assert that every text fits, and the copy could only cut one that did not.
TEST(InlineString, CopiesATableTextThatFitsWhole) {
    const std::string text(InlineString::kCapacity, 'z');
    const std::string_view fits[] = {"Face", std::string_view(text).substr(1)};
    const std::string_view tooLong[] = {"Face", text};
    EXPECT_TRUE(fitsInline(fits));
    EXPECT_FALSE(fitsInline(tooLong)) << "a text of " << text.size() << " characters";
    EXPECT_EQ(InlineString(fits[1]), fits[1]);
    EXPECT_EQ(InlineString(tooLong[1]), fits[1]) << "the most a text can hold, cut";
}

// A copy reads and writes only the characters held and their NUL, also at
// full length: a byte on each side of both objects stays as it was.
TEST(InlineString, CopyStaysInsideBothObjects) {
    struct Padded {
        alignas(InlineString) unsigned char bytes[sizeof(InlineString) + 1];
        InlineString& text() { return *std::launder(reinterpret_cast<InlineString*>(bytes)); }
        unsigned char& after() { return bytes[sizeof(InlineString)]; }
    };
    char longest[InlineString::kCapacity];
    std::memset(longest, 'x', sizeof longest - 1);
    longest[sizeof longest - 1] = '\0';

    Padded source, copied, assigned;
    new (source.bytes) InlineString(longest);
    new (assigned.bytes) InlineString("Face");
    source.after() = 0xA5, copied.after() = 0x5A, assigned.after() = 0x5A;

    new (copied.bytes) InlineString(source.text());
    assigned.text() = source.text();
    EXPECT_EQ(copied.text(), std::string(159, 'x'));
    EXPECT_EQ(assigned.text(), std::string(159, 'x'));
    EXPECT_EQ(copied.after(), 0x5A) << "the guard byte after a copy, overwritten";
    EXPECT_EQ(assigned.after(), 0x5A) << "the guard byte after an assignment, overwritten";
}

} // namespace
