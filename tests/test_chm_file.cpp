// The help file reader on a good file, on truncated and damaged copies of
// it, and its parsers on hand-made records.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

#include "tests/TestFiles.h"
#include "core/ChmFile.h"

using namespace tarvelon;
using namespace tarvelon::testing;

namespace {

const std::string kSample = std::string(TARVELON_TEST_DATA) + "/sample.chm";

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
}

// The objects of the sample, as their source files hold them.
std::map<std::string, std::string> sampleObjects() {
  const std::string sources = std::string(TARVELON_TEST_DATA) + "/help/";
  return {{"/start.html", readFile(sources + "start.html")},
          {"/pages/second.html", readFile(sources + "pages/second.html")},
          {"/pictures/dot.png", readFile(sources + "pictures/dot.png")},
          {"/contents.hhc", readFile(sources + "contents.hhc")}};
}

}  // namespace

TEST(ChmFile, GoodFileGivesItsPagesTopicAndContents) {
  std::string error;
  const auto file = ChmFile::open(kSample, error);
  ASSERT_NE(file, nullptr) << error;
  EXPECT_EQ(file->defaultTopic(), "/start.html");
  EXPECT_EQ(file->title(), "Sample Help");
  EXPECT_EQ(file->contents(), (std::vector<HelpTopic>{{"Start", "/start.html", 0},
                                                      {"Second & last", "/pages/second.html", 1},
                                                      {"Colours", "/pages/second.html#colours", 2}}));
  for (const auto& [path, expected] : sampleObjects()) {
    ASSERT_FALSE(expected.empty()) << path;
    std::string bytes;
    ASSERT_TRUE(file->read(path, bytes, error)) << path << ": " << error;
    EXPECT_EQ(bytes, expected) << path;
  }
  // Relative paths, fragments and "." or ".." steps reach the same page.
  std::string bytes;
  ASSERT_TRUE(file->read("pages/../pages/./second.html#colours", bytes, error));
  EXPECT_EQ(bytes, sampleObjects()["/pages/second.html"]);

  EXPECT_FALSE(file->read("/nothing.html", bytes, error));
  EXPECT_EQ(error, "There is no page \"/nothing.html\" in the help file.");
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(file->read("", bytes, error));
  EXPECT_FALSE(file->read(std::string(600, 'a'), bytes, error));
  EXPECT_TRUE(file->contains("/pictures/dot.png"));
  EXPECT_FALSE(file->contains("/pictures/none.png"));
}

TEST(ChmFile, MissingEmptyAndForeignFilesAreRefusedWithAReason) {
  ScratchDir dir;
  std::string error;
  EXPECT_EQ(ChmFile::open(dir.file("tarvelon.chm"), error), nullptr);
  EXPECT_EQ(error, "The help file " + dir.file("tarvelon.chm") + " does not exist.");

  writeFile(dir.file("empty.chm"), "");
  EXPECT_EQ(ChmFile::open(dir.file("empty.chm"), error), nullptr);
  EXPECT_EQ(error, "The help file " + dir.file("empty.chm") + " is empty.");

  EXPECT_EQ(ChmFile::open(dir.str(), error), nullptr);
  EXPECT_EQ(error, dir.str() + " is not a file.");

  writeFile(dir.file("page.chm"), "<html><body>Not compiled</body></html>");
  EXPECT_EQ(ChmFile::open(dir.file("page.chm"), error), nullptr);
  EXPECT_EQ(error, "The help file " + dir.file("page.chm") + " is not a compiled help file.");

  // The header of a help file and nothing after it.
  writeFile(dir.file("head.chm"), readFile(kSample).substr(0, 0x60));
  EXPECT_EQ(ChmFile::open(dir.file("head.chm"), error), nullptr);
  EXPECT_EQ(error, "The help file " + dir.file("head.chm") + " is truncated or damaged: its data lies outside the file.");
}

TEST(ChmFile, TruncatedCopiesAreRefusedOrReadWhole) {
  const std::string whole = readFile(kSample);
  ASSERT_GT(whole.size(), 10000u);
  const auto objects = sampleObjects();
  ScratchDir dir;
  const std::string path = dir.file("cut.chm");
  int refused = 0;
  for (std::size_t length = 1; length < whole.size(); length += 37) {
    writeFile(path, std::string_view(whole).substr(0, length));
    std::string error;
    const auto file = ChmFile::open(path, error);
    if (file == nullptr) {
      ++refused;
      EXPECT_NE(error.find(path), std::string::npos) << length;
      continue;
    }
    // What can still be read is what was written; the rest is refused.
    for (const auto& [name, expected] : objects) {
      std::string bytes;
      if (file->read(name, bytes, error)) {
        EXPECT_EQ(bytes, expected) << name << " at " << length;
      } else {
        EXPECT_TRUE(bytes.empty());
        EXPECT_FALSE(error.empty());
      }
    }
  }
  // A copy that lacks its pages cannot show its first one.
  EXPECT_GT(refused, 250);
  writeFile(path, std::string_view(whole).substr(0, whole.size() / 2));
  std::string error;
  EXPECT_EQ(ChmFile::open(path, error), nullptr);
  EXPECT_FALSE(error.empty());
}

TEST(ChmFile, DamagedCopiesNeverCrashTheReader) {
  const std::string whole = readFile(kSample);
  ScratchDir dir;
  const std::string path = dir.file("bad.chm");
  int refused = 0;
  int opened = 0;
  for (std::size_t at = 0; at < whole.size(); at += 23) {
    for (const unsigned char with : {0x00, 0xFF, 0x7F}) {
      std::string bytes = whole;
      // Four bytes at once, so that lengths and offsets become huge.
      for (std::size_t k = at; k < at + 4 && k < bytes.size(); ++k) bytes[k] = static_cast<char>(with);
      if (bytes == whole) continue;
      writeFile(path, bytes);
      std::string error;
      const auto file = ChmFile::open(path, error);
      if (file == nullptr) {
        ++refused;
        EXPECT_FALSE(error.empty());
        continue;
      }
      ++opened;
      for (const char* name : {"/start.html", "/pages/second.html", "/pictures/dot.png", "/contents.hhc"}) {
        std::string object;
        if (file->read(name, object, error)) {
          EXPECT_LE(object.size(), kMaxHelpObjectBytes);
        }
      }
    }
  }
  EXPECT_GT(refused, 0);
  EXPECT_GT(opened, 0);
}

TEST(ChmSystem, EntriesAreTakenUpToTheirEndAndNoFurther) {
  using namespace std::string_literals;
  const std::string record = "\x03\x00\x00\x00"s                        // version
                             "\x02\x00\x0b\x00start.html\x00"s           // default topic
                             "\x03\x00\x06\x00Title\x00"s                // title
                             "\x00\x00\x05\x00"s "a.hhc"s               // contents, no NUL
                             "\x09\x00\xff\x00short"s;                   // claims 255 bytes
  const auto info = parseChmSystem(record);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->defaultTopic, "start.html");
  EXPECT_EQ(info->title, "Title");
  EXPECT_EQ(info->contentsFile, "a.hhc");
  EXPECT_FALSE(parseChmSystem("\x03\x00"s));
  // A record cut inside an entry's header keeps the entries before it.
  const auto cut = parseChmSystem(record.substr(0, 4 + 15 + 2));
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->defaultTopic, "start.html");
  EXPECT_EQ(cut->title, "");
}

TEST(ChmSitemap, NestingNamesAndPagesComeFromTheObjects) {
  const auto topics = parseSitemap(
      "<ul><li><object type=\"text/sitemap\"><param name=\"Name\" value=\"A &lt;1&gt;\">"
      "<param name=\"Local\" value=\"a.html\"></object>"
      "<ul><li><OBJECT TYPE='text/sitemap'><PARAM NAME=Name VALUE=B><PARAM NAME=Local VALUE=sub/b.html#x></OBJECT>"
      "<!-- <object type=\"text/sitemap\"><param name=\"Name\" value=\"hidden\"></object> -->"
      "</ul><li><object type=\"text/sitemap\"><param name=\"Name\" value=\"Heading\"></object>"
      "<li><object type=\"text/sitemap\"><param name=\"Local\" value=\"nameless.html\"></object>"
      "</ul></ul></ul><object type=\"text/sitemap\"><param name=\"Name\" value=\"C\"");
  EXPECT_EQ(topics, (std::vector<HelpTopic>{{"A <1>", "/a.html", 0}, {"B", "/sub/b.html#x", 1}, {"Heading", "", 0}}));
  EXPECT_TRUE(parseSitemap("").empty());
  EXPECT_TRUE(parseSitemap("<<<>>><object").empty());
}

TEST(ChmObjectPath, PathsAreAbsoluteWithoutFragments) {
  EXPECT_EQ(chmObjectPath("index.html"), "/index.html");
  EXPECT_EQ(chmObjectPath("/a/b/../c.html#top"), "/a/c.html");
  EXPECT_EQ(chmObjectPath("./a\\b.png?x=1"), "/a/b.png");
  EXPECT_EQ(chmObjectPath("../../a.html"), "/a.html");
  EXPECT_EQ(chmObjectPath("#top"), "");
  EXPECT_EQ(chmObjectPath(""), "");
}
