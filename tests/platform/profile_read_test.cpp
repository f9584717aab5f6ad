// Reading one value: the rules of the system call the settings loaders were written against,
// one fixture a row, and the limits of the buffer it fills.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "support/tempfolder.h"

namespace kestro::platform {
namespace {

using test::TempFolder;
using test::writeFile;

struct ReadCase {
  const char* what;
  std::optional<std::string> file;  // nothing: there is no file
  const char* section;
  const char* key;
  const char* defaultValue;
  unsigned long size;
  std::string expected;  // the buffer's text; the result is its length
};

const std::string kLong(300, 'x');

const ReadCase kReadCases[] = {
    {"plain key", "[S]\nk=v\n", "S", "k", "d", 255, "v"},
    {"blanks around name and value go, blanks inside stay", "[S]\n \t k \t=  v w \t\n", "S", "k",
     "d", 255, "v w"},
    {"section name trimmed inside its brackets, header indented", "  [ \tS  ]\nk=v\n", "S", "k",
     "d", 255, "v"},
    {"the requested names lose their blanks too", "[S]\nk=v\n", " S ", "\tk ", "d", 255, "v"},
    {"section and key match without regard to case", "[uSeR]\nKeY=v\n", "User", "key", "d", 255,
     "v"},
    {"split at the first =", "[S]\nk = a=b\n", "S", "k", "d", 255, "a=b"},
    {"key= is the empty text, not the default", "[S]\nk=\n", "S", "k", "d", 255, ""},
    {"key= with only blanks is the empty text", "[S]\nk = \t\n", "S", "k", "d", 255, ""},
    {"a line without = is no key", "[S]\nk\n", "S", "k", "d", 255, "d"},
    {"first key of a name wins", "[S]\nk=1\nK=2\n", "S", "k", "d", 255, "1"},
    {"first section of a name wins", "[S]\nk=1\n[B]\n[s]\nk=2\n", "S", "k", "d", 255, "1"},
    {"a later section of the same name is not searched", "[S]\nj=1\n[S]\nk=2\n", "S", "k", "d", 255,
     "d"},
    {"a key of another section does not count", "[A]\nk=1\n[B]\nj=2\n", "B", "k", "d", 255, "d"},
    {"a key before any section belongs to none", "k=1\n[S]\n", "S", "k", "d", 255, "d"},
    {"a commented-out key is no key", "[S]\n;k=1\n", "S", "k", "d", 255, "d"},
    {"the whole rest of the line is the value", "[S]\nk=1 ; note\n", "S", "k", "d", 255,
     "1 ; note"},
    {"double quotes go", "[S]\nk=\"a b\"\n", "S", "k", "d", 255, "a b"},
    {"single quotes go, blanks inside them stay", "[S]\nk= ' a ' \n", "S", "k", "d", 255, " a "},
    {"unmatched quotes stay", "[S]\nk=\"a'\n", "S", "k", "d", 255, "\"a'"},
    {"a lone quote stays", "[S]\nk=\"\n", "S", "k", "d", 255, "\""},
    {"only the outer pair goes", "[S]\nk=\"a\"b\"\n", "S", "k", "d", 255, "a\"b"},
    {"CRLF line ends", "[S]\r\nj=1\r\nk=v\r\n", "S", "k", "d", 255, "v"},
    {"CR line ends", "[S]\rj=1\rk=v\r[T]\rk=w", "S", "k", "d", 255, "v"},
    {"last line without a line end", "[S]\nk=v", "S", "k", "d", 255, "v"},
    {"UTF-8 signature before the first section", "\xEF\xBB\xBF[S]\nk=v\n", "S", "k", "d", 255, "v"},
    {"value cut to size - 1", "[S]\nk=abcdef\n", "S", "k", "d", 4, "abc"},
    {"value cut after its quotes go", "[S]\nk=\"abcdef\"\n", "S", "k", "d", 4, "abc"},
    {"size 1 holds only the terminator", "[S]\nk=abc\n", "S", "k", "d", 1, ""},
    {"a value of 300 reads as its first 254", "[S]\nk=" + kLong + "\n", "S", "k", "d", 255,
     kLong.substr(0, 254)},
    {"missing file gives the default", std::nullopt, "S", "k", "dflt", 255, "dflt"},
    {"missing section gives the default", "[T]\nk=v\n", "S", "k", "dflt", 255, "dflt"},
    {"missing key gives the default", "[S]\nj=v\n", "S", "k", "dflt", 255, "dflt"},
    {"empty file gives the default", "", "S", "k", "dflt", 255, "dflt"},
    {"the default loses its trailing blanks, not its leading", "", "S", "k", " d \t ", 255, " d"},
    {"the default is cut to size - 1", std::nullopt, "S", "k", "default", 4, "def"},
    {"a null default is the empty text", std::nullopt, "S", "k", nullptr, 255, ""},
};

TEST(ProfileRead, FollowsTheRulesOfTheSystemCall) {
  constexpr std::size_t kGuard = 8;
  TempFolder folder;
  const std::filesystem::path file = folder.path() / "kestro.ini";
  for (const ReadCase& row : kReadCases) {
    SCOPED_TRACE(row.what);
    std::filesystem::remove(file);
    if (row.file) writeFile(file, *row.file);
    std::vector<char> buffer(row.size + kGuard, '#');
    const unsigned long result = GetPrivateProfileStringA(row.section, row.key, row.defaultValue,
                                                          buffer.data(), row.size, file.c_str());
    ASSERT_EQ(result, row.expected.size());
    EXPECT_EQ(std::string(buffer.data(), result), row.expected);
    EXPECT_EQ(buffer[result], '\0');
    EXPECT_TRUE(std::all_of(buffer.begin() + static_cast<long>(row.size), buffer.end(), [](char c) {
      return c == '#';
    })) << "written past the buffer's size";
  }
}

TEST(ProfileRead, NoBufferNullArgumentsAndOddFilesAreHandled) {
  TempFolder folder;
  const std::filesystem::path file = folder.path() / "kestro.ini";
  writeFile(file, "[S]\nk=value\n");
  char buffer[8];

  std::fill(std::begin(buffer), std::end(buffer), '#');
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "d", buffer, 0, file.c_str()), 0u);
  EXPECT_EQ(buffer[0], '#') << "size 0 must leave the buffer alone";
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "d", nullptr, 8, file.c_str()), 0u);

  // Listing sections or keys is not provided: an empty text, not a wrong one.
  std::fill(std::begin(buffer), std::end(buffer), '#');
  errno = 0;
  EXPECT_EQ(GetPrivateProfileStringA(nullptr, "k", "d", buffer, 8, file.c_str()), 0u);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(errno, EINVAL);
  EXPECT_EQ(GetPrivateProfileStringA("S", nullptr, "d", buffer, 8, file.c_str()), 0u);
  EXPECT_EQ(buffer[0], '\0');

  // A file that is not there to read gives the default.
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "d", buffer, 8, nullptr), 1u);
  EXPECT_STREQ(buffer, "d");
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "d", buffer, 8, folder.path().c_str()), 1u);
  EXPECT_STREQ(buffer, "d");
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "d", buffer, 8, ""), 1u);
  EXPECT_STREQ(buffer, "d");
}

TEST(ProfileRead, EveryCallReadsTheFileAnew) {
  TempFolder folder;
  const std::filesystem::path file = folder.path() / "kestro.ini";
  char buffer[16];
  writeFile(file, "[S]\nk=1\n");
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", buffer, 16, file.c_str()), 1u);
  EXPECT_STREQ(buffer, "1");
  writeFile(file, "[S]\nk=22\n");
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", buffer, 16, file.c_str()), 2u);
  EXPECT_STREQ(buffer, "22");
}

}  // namespace
}  // namespace kestro::platform
