// SHA-256 of an export's bytes, printed on the report so that a signed
// report can be matched to the very file it was made from. Uses the
// processor's SHA instructions where it has them (a million-line export
// hashes in some twenty milliseconds), the portable rounds otherwise; both
// give the same digest.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vexa {

class Sha256 {
 public:
  // `portable`: the portable rounds even where the processor has the SHA
  // instructions (tests compare the two).
  explicit Sha256(bool portable = false);
  void update(const void* data, std::size_t size);
  void update(std::string_view bytes) { update(bytes.data(), bytes.size()); }
  // The digest; the object is spent afterwards.
  std::array<std::uint8_t, 32> finish();
  // The digest in lower-case hexadecimal, as sha256sum prints it.
  std::string finishHex();

 private:
  using BlockFunction = void (*)(std::uint32_t*, const std::uint8_t*, std::size_t);
  static BlockFunction bestBlocks();
  void blocks(const std::uint8_t* data, std::size_t count);

  BlockFunction blocks_;
  std::uint32_t state_[8];
  std::uint8_t pending_[64];
  std::size_t pendingSize_ = 0;
  std::uint64_t total_ = 0;
};

std::string sha256Hex(std::string_view bytes);

}  // namespace vexa
