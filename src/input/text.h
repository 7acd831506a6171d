// Text operations on the comma-separated fields of an export line.
//
// The exports have no quoting or escaping: a comma always ends a field. All
// texts are UTF-8; every pattern used by the program is either ASCII or a whole
// UTF-8 sequence, so byte-wise matching is exact.
#pragma once

#include <string>
#include <string_view>

namespace vexa {

// The characters before the first ","; empty when the text has no ",".
std::string_view head(std::string_view text);

// The characters after the first ","; the whole text when it has no ",".
std::string_view remainder(std::string_view text);

// Every occurrence of `pattern`, left to right, case-sensitive; replaced text
// is not scanned again. An empty `with` deletes the pattern.
std::string replaceAll(std::string_view text, std::string_view pattern, std::string_view with);

// In-place form of replaceAll for texts that are rewritten step by step.
void replaceAllIn(std::string& text, std::string_view pattern, std::string_view with);

// The text without the spaces at its ends.
std::string_view trimSpaces(std::string_view text);

// Deletes every double-quote character.
std::string unquote(std::string_view text);

// Replaces every "." by "," (how the report writes decimal numbers).
std::string decimalComma(std::string_view text);

// Deletes every "," (the last pair of a paired-column line).
std::string withoutCommas(std::string_view text);

// Number of non-overlapping occurrences of `subtext` in `Text`; 0 when either
// is empty.
int CountPos(std::string_view subtext, std::string_view Text);

// Cuts a text that is quoted back to the user in a message to a readable
// length, so that a damaged line of megabytes cannot flood a message box, and
// shows control characters as visible symbols.
std::string shortenForMessage(std::string_view text, std::size_t maxCodePoints = 100);

// The length of the valid UTF-8 sequence (RFC 3629: no overlong forms, no
// surrogates) that starts at `text[at]`, or 0 when none starts there.
std::size_t utf8SequenceAt(std::string_view text, std::size_t at);

// "'<text>'" and `rest`: the form of the conversion errors' messages.
std::string quotedMessage(std::string_view text, std::string_view rest);

}  // namespace vexa
