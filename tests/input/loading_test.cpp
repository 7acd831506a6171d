#include "input/loading.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include "platform/windows_text.h"
#else
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <future>
#include <random>
#include <thread>

#include "platform/files.h"
#include "support/error_text.h"
#include "support/temp_files.h"

namespace vexa {
namespace {

using Lines = std::vector<std::string>;

std::string utf16(std::u16string_view text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

TEST(Loading, EveryEncodingGivesTheSameLines) {
  const Lines expected = {"Date,Time, Влажность", "2021-01-01,10:00:00,°С"};
  struct Case {
    const char* name;
    std::string bytes;
    TextEncoding encoding;
  };
  const Case cases[] = {
      {"utf-8", "Date,Time, Влажность\r\n2021-01-01,10:00:00,°С\r\n", TextEncoding::Utf8},
      {"utf-8 bom",
       "\xEF\xBB\xBF"
       "Date,Time, Влажность\n2021-01-01,10:00:00,°С",
       TextEncoding::Utf8WithBom},
      {"utf-16le", utf16(u"Date,Time, Влажность\r\n2021-01-01,10:00:00,°С\r\n", false),
       TextEncoding::Utf16LE},
      {"utf-16be", utf16(u"Date,Time, Влажность\n2021-01-01,10:00:00,°С", true),
       TextEncoding::Utf16BE},
      // "Влажность", "°С" in Windows-1251.
      {"windows-1251",
       "Date,Time, \xC2\xEB\xE0\xE6\xED\xEE\xF1\xF2\xFC\r\n2021-01-01,10:00:00,\xB0\xD1\r\n",
       TextEncoding::Windows1251},
  };
  testing::TempDir dir;
  for (const Case& c : cases) {
    const LoadedLines loaded = decodeExportLines(c.bytes);
    EXPECT_EQ(loaded.lines, expected) << c.name;
    EXPECT_EQ(loaded.encoding, c.encoding) << c.name;
    const LoadedLines fromFile = loadExportLines(dir.write("export.csv", c.bytes));
    EXPECT_EQ(fromFile.lines, expected) << c.name;
    EXPECT_EQ(fromFile.encoding, c.encoding) << c.name;
  }
}

TEST(Loading, LineEnds) {
  struct Case {
    std::string bytes;
    Lines expected;
  };
  const Case cases[] = {
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"a\n\n", {"a", ""}},  // an extra blank line is an empty last line
      {"a\r\n\r\n", {"a", ""}},
      {"a\r\r\n", {"a", ""}},
      {"\n", {""}},
      {"a\n\nb", {"a", "", "b"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(decodeExportLines(c.bytes).lines, c.expected);
  }
}

TEST(Loading, InvalidBytesAfterAUtf8MarkBecomeReplacementCharacters) {
  EXPECT_EQ(decodeExportLines("\xEF\xBB\xBF"
                              "a\xFF"
                              "b\xD0")
                .lines,
            Lines{"a\uFFFDb\uFFFD"});
}

TEST(Loading, Utf16SurrogatesAndStrayHalves) {
  EXPECT_EQ(decodeExportLines(utf16(u"x\U0001F600y", false)).lines, Lines{"x\U0001F600y"});
  const std::u16string stray = {u'a', char16_t(0xD800), u'b'};
  EXPECT_EQ(decodeExportLines(utf16(stray, true)).lines, Lines{"a\uFFFDb"});
}

// The system's own conversion of one byte of the 1251 code page to UTF-8:
// MultiByteToWideChar on Windows, iconv elsewhere.
std::string systemCp1251(char byte) {
#ifdef _WIN32
  wchar_t wide[4] = {};
  const int n = ::MultiByteToWideChar(1251, MB_ERR_INVALID_CHARS, &byte, 1, wide, 4);
  return n == 1 ? platform::utf8Of(std::wstring_view(wide, 1)) : std::string();
#else
  iconv_t cd = iconv_open("UTF-8", "CP1251");
  char in[1] = {byte};
  char out[8] = {};
  char* inPtr = in;
  char* outPtr = out;
  std::size_t inLeft = 1, outLeft = sizeof out;
  const bool converted =
      cd != reinterpret_cast<iconv_t>(-1) &&
      iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  if (cd != reinterpret_cast<iconv_t>(-1)) {
    iconv_close(cd);
  }
  return converted ? std::string(out) : std::string();
#endif
}

TEST(Loading, Windows1251AgreesWithTheSystem) {
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    if (byte == 0x98) {
      continue;  // unassigned in the code page
    }
    const std::string expected = systemCp1251(static_cast<char>(byte));
    ASSERT_FALSE(expected.empty()) << std::hex << byte;
    // A lone byte of 0x80..0xFF is never valid UTF-8, so the file is read as 1251.
    const LoadedLines loaded = decodeExportLines(std::string(1, static_cast<char>(byte)));
    EXPECT_EQ(loaded.lines.at(0), expected) << std::hex << byte;
  }
}

TEST(Loading, NulBytesStayInsideTheirLines) {
  const std::string bytes("a\0b\nc\0", 6);
  const Lines expected = {std::string("a\0b", 3), std::string("c\0", 2)};
  EXPECT_EQ(decodeExportLines(bytes).lines, expected);
}

// A plain reference: split on CR LF, LF or CR.
Lines referenceSplit(const std::string& text) {
  Lines lines;
  std::string current;
  bool open = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(current);
      current.clear();
      open = false;
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
        ++i;
      }
    } else {
      current.push_back(c);
      open = true;
    }
  }
  if (open) {
    lines.push_back(current);
  }
  return lines;
}

TEST(Loading, FilesLargerThanOneReadAgreeWithAPlainSplit) {
  // Lines of random length with random line ends, several reads long, so that
  // line ends (CR LF split in two included) fall on every read boundary.
  testing::TempDir dir;
  std::mt19937 random(12345);
  const std::size_t read = platform::InputFile::readSize();
  for (int round = 0; round < 6; ++round) {
    std::string text;
    const std::size_t target = read + read / 6 + static_cast<std::size_t>(round) * (read * 3 / 8);
    const char* ends[] = {"\r\n", "\n", "\r"};
    while (text.size() < target) {
      const std::size_t length = random() % (round == 5 ? 400'000 : 120);
      for (std::size_t i = 0; i < length; ++i) {
        text.push_back(static_cast<char>('a' + random() % 26));
      }
      text += ends[random() % 3];
    }
    if (round % 2 == 1) {
      text += "tail without line end";
    }
    const std::string path = dir.write("random" + std::to_string(round) + ".csv", text);
    const LoadedLines loaded = loadExportLines(path, 1'000'000);
    EXPECT_EQ(loaded.lines, referenceSplit(text)) << "round " << round;
  }
}

TEST(Loading, CrLfSplitAcrossReadsCountsOnce) {
  testing::TempDir dir;
  const std::size_t read = platform::InputFile::readSize();
  for (const std::size_t split : {read - 1, read, read + 1}) {
    std::string text(split - 1, 'x');
    text += "\r\nnext\r\n";
    const LoadedLines loaded = loadExportLines(dir.write("split.csv", text));
    ASSERT_EQ(loaded.lines.size(), 2u) << split;
    EXPECT_EQ(loaded.lines[1], "next");
  }
}

std::string numberedLines(std::size_t n) {
  std::string text;
  for (std::size_t i = 0; i < n; ++i) {
    text += std::to_string(i);
    text += "\r\n";
  }
  return text;
}

TEST(Thinning, KeepsEveryKthLineAboveTheLimit) {
  struct Case {
    std::size_t lines;
    int factor;
    std::size_t kept;
  };
  const Case cases[] = {
      {32000, 1, 32000}, {32001, 2, 16001}, {64000, 2, 32000}, {64001, 3, 21334}, {1, 1, 1},
  };
  testing::TempDir dir;
  for (const Case& c : cases) {
    const LoadedLines loaded = loadExportLines(dir.write("n.csv", numberedLines(c.lines)));
    EXPECT_EQ(loaded.totalLines, c.lines);
    EXPECT_EQ(loaded.thinningFactor, c.factor) << c.lines;
    ASSERT_EQ(loaded.lines.size(), c.kept) << c.lines;
    for (std::size_t i = 0; i < loaded.lines.size(); ++i) {
      ASSERT_EQ(loaded.lines[i], std::to_string(i * static_cast<std::size_t>(c.factor)));
    }
  }
  EXPECT_EQ(thinningFactorFor(1'000'000), 32);
  EXPECT_EQ(thinningFactorFor(96'001), 4);
}

TEST(Loading, TenMegabyteLineIsOneLine) {
  testing::TempDir dir;
  std::string text = "Date,Time, T\n" + std::string(10'000'000, '9') + "\n";
  const LoadedLines loaded = loadExportLines(dir.write("long.csv", text));
  ASSERT_EQ(loaded.lines.size(), 2u);
  EXPECT_EQ(loaded.lines[1].size(), 10'000'000u);
}

std::string readErrorOf(const std::string& path) {
  try {
    loadExportLines(path);
  } catch (const FileReadError& error) {
    return error.what();
  }
  return "no error";
}

TEST(Loading, UnreadableFilesNameTheFileAndTheReason) {
  testing::TempDir dir;
  const std::string empty = dir.write("пустой файл.csv", "");
  const std::string bomOnly = dir.write("bom.csv", "\xEF\xBB\xBF");
  const std::string odd = dir.write("odd.csv", std::string_view("\xFF\xFE"
                                                                "a\0b",
                                                                5));
  std::filesystem::create_directories(dir.path() / "folder.csv");
  const std::string folder = (dir.path() / "folder.csv").string();
  const std::string missing = (dir.path() / "gone.csv").string();

  EXPECT_EQ(readErrorOf(empty),
            "Не удалось прочитать файл \"" + empty + "\": файл пуст, в нём нет ни одной строки.");
  EXPECT_NE(readErrorOf(bomOnly).find("файл пуст"), std::string::npos);
  EXPECT_EQ(readErrorOf(odd), "Не удалось прочитать файл \"" + odd +
                                  "\": текст в кодировке UTF-16 обрывается посреди символа.");
  EXPECT_EQ(readErrorOf(folder),
            "Не удалось прочитать файл \"" + folder + "\": это папка, а не файл.");
  EXPECT_EQ(readErrorOf(missing), "Не удалось прочитать файл \"" + missing + "\": файл не найден.");
#ifdef _WIN32
  const std::string device = "NUL";
#else
  const std::string device = "/dev/null";
#endif
  EXPECT_EQ(readErrorOf(device),
            "Не удалось прочитать файл \"" + device + "\": это не обычный файл.");
  EXPECT_EQ(readErrorOf(""), "Не удалось прочитать файл \"\": файл не выбран.");
}

// A pipe never blocks Open, and no reason comes in English.
#ifdef _WIN32
TEST(Loading, PipesAreRefusedAtOnceInRussian) {
  const std::string pipe =
      "\\\\.\\pipe\\vexa-export-" + std::to_string(::GetCurrentProcessId()) + ".csv";
  HANDLE server = ::CreateNamedPipeW(platform::wideOf(pipe).c_str(), PIPE_ACCESS_OUTBOUND,
                                     PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  auto refused = std::async(std::launch::async, [&] { return readErrorOf(pipe); });
  const bool answered = refused.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  if (!answered) {
    ::DisconnectNamedPipe(server);  // let a blocked reader go before failing
  }
  EXPECT_TRUE(answered);
  EXPECT_EQ(refused.get(), "Не удалось прочитать файл \"" + pipe + "\": это не обычный файл.");
  ::CloseHandle(server);
}
#else
TEST(Loading, PipesAndLinkLoopsAreRefusedAtOnceInRussian) {
  testing::TempDir dir;
  const std::string fifo = (dir.path() / "export.csv").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto refused = std::async(std::launch::async, [&] { return readErrorOf(fifo); });
  if (refused.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    // Let the blocked reader go before failing.
    ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
  }
  EXPECT_EQ(refused.get(), "Не удалось прочитать файл \"" + fifo + "\": это не обычный файл.");

  const auto a = dir.path() / "a.csv";
  const auto b = dir.path() / "b.csv";
  std::filesystem::create_symlink(b, a);
  std::filesystem::create_symlink(a, b);
  EXPECT_EQ(readErrorOf(a.string()), "Не удалось прочитать файл \"" + a.string() +
                                         "\": символические ссылки замкнуты в кольцо.");
}
#endif

// An export still being written changes between the count and the keeping of
// its lines: what is kept is always one snapshot of the file, never a mix.
TEST(Loading, AFileThatChangesBetweenThePassesIsReadAgainOrRefused) {
  testing::TempDir dir;
  const std::string original = "Date,Time, T\r\n2021-01-01,10:00:00,1\r\n";
  struct Case {
    const char* name;
    std::string rewritten;  // the file's bytes after the first count
  };
  const Case cases[] = {
      {"emptied", ""},
      {"grown", original + "2021-01-01,11:00:00,2\r\n2021-01-01,12:00:00,3\r\n"},
      {"rewritten as UTF-16", utf16(u"Date,Time, Влажность\r\n2021-01-01,10:00:00,°С\r\n", false)},
      {"same size, other bytes", std::string(original.size(), '\xFF')},
  };
  for (const Case& c : cases) {
    const std::string path = dir.write("export.csv", original);
    int changes = 0;
    std::string outcome;
    try {
      const LoadedLines loaded = loadExportLines(path, kMaxLines, [&] {
        if (changes++ == 0) {
          std::this_thread::sleep_for(std::chrono::milliseconds(5));  // a new modification time
          dir.write("export.csv", c.rewritten);
        }
      });
      EXPECT_EQ(loaded.lines, decodeExportLines(c.rewritten).lines) << c.name;
    } catch (const FileReadError& error) {
      outcome = error.what();
    }
    // Read once more, whole; an emptied file ends at the count.
    EXPECT_EQ(changes, c.rewritten.empty() ? 1 : 2) << c.name;
    if (c.rewritten.empty()) {
      EXPECT_NE(outcome.find("файл пуст"), std::string::npos) << outcome;
    } else {
      EXPECT_EQ(outcome, "") << c.name;
    }
  }

  // A file that keeps changing is refused.
  const std::string path = dir.write("growing.csv", original);
  std::string grown = original;
  EXPECT_EQ(testing::errorOf([&] {
              loadExportLines(path, kMaxLines, [&] {
                grown += "2021-01-01,11:00:00,2\r\n";
                dir.write("growing.csv", grown);
              });
            }),
            "Не удалось прочитать файл \"" + path +
                "\": файл менялся, пока его читали (его ещё записывают?); дождитесь, когда запись "
                "закончится, и откройте его снова.");
}

// UTF-16 is decoded a chunk at a time: characters, surrogate pairs and line
// ends that fall across the chunks come out whole.
TEST(Loading, Utf16AcrossChunksAgreesWithAPlainDecode) {
  testing::TempDir dir;
  std::u16string text;
  std::string expected;
  std::mt19937 random(7);
  while (text.size() < 700'000) {
    const int length = static_cast<int>(random() % 300);
    for (int i = 0; i < length; ++i) {
      switch (random() % 3) {
        case 0:
          text += u'a';
          expected += 'a';
          break;
        case 1:
          text += u'Ж';
          expected += "Ж";
          break;
        default:
          text += u"\U0001F600";
          expected += "\U0001F600";
      }
    }
    text += u"\r\n";
    expected += "\r\n";
  }
  for (const bool bigEndian : {false, true}) {
    const std::string bytes = utf16(text, bigEndian);
    const LoadedLines loaded = loadExportLines(dir.write("utf16.csv", bytes), 1'000'000);
    EXPECT_EQ(loaded.lines, referenceSplit(expected)) << bigEndian;
    EXPECT_EQ(loaded.encoding, bigEndian ? TextEncoding::Utf16BE : TextEncoding::Utf16LE);
  }
}

}  // namespace
}  // namespace vexa
