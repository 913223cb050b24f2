// The host's own JSON: RapidJSON documents for what it reads and keeps
// (control API bodies, played resources, game data, remote replies) and
// RapidJSON's writer for what it answers. None of it is the plug-in's.
#pragma once

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "host/host_result.h"

namespace kel::host {

using Json = rapidjson::Document;
using JsonValue = rapidjson::Value;
// RapidJSON's writer straight into a std::string, so an answer is never
// copied out of a buffer.
class StringOutput {
 public:
  using Ch = char;
  explicit StringOutput(std::string& text) : text_(text) {}
  void Put(char c) { text_.push_back(c); }
  void Flush() {}

 private:
  std::string& text_;
};
using JsonWriter = rapidjson::Writer<StringOutput>;

// Parses JSON text; the failure carries the reader's message and offset.
Result<Json> ParseJson(std::string_view text);
// A deep copy with its own allocator.
Json CopyJson(const JsonValue& value);
// Compact JSON text.
std::string WriteJson(const JsonValue& value);

// Members of an object, read leniently: a missing member or one of another
// type gives the fallback.
const JsonValue* FindMember(const JsonValue& object, std::string_view key);
uint64_t UnsignedMember(const JsonValue& object, std::string_view key, uint64_t fallback = 0);
std::string_view StringMember(const JsonValue& object, std::string_view key);

// Adds or replaces a member of `object` (which becomes an object if it is not).
void SetMember(Json& document, JsonValue& object, std::string_view key, JsonValue value);

// Writes text as a JSON string.
inline void WriteText(JsonWriter& writer, std::string_view text) {
  writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
}

// A text written into room reserved for the thread's last one (below) is
// given back the room it did not use when that is much larger than the
// text: a notification of a few hundred bytes written after the champion
// list kept its megabytes for as long as the host kept the notification.
inline void KeepOnlyWhatIsUsed(std::string& text) {
  if (text.capacity() > 2 * text.size() + 4096) text.shrink_to_fit();
}

// Runs `write` on a fresh writer and returns the text it wrote. The text
// starts at the size of the calling thread's last one: growing it by
// doubling to the 2.4 MB of the champion list cost more in copies and page
// faults than writing it.
template <class Write>
std::string WrittenJson(Write&& write) {
  thread_local std::size_t last_size = 0;
  std::string text;
  text.reserve(last_size);
  {
    StringOutput output(text);
    JsonWriter writer(output);
    write(writer);
  }
  last_size = text.size();
  KeepOnlyWhatIsUsed(text);
  return text;
}

}  // namespace kel::host
