// Reads the compiled resources (lull.res, as windres writes them) byte by byte. The exact
// texts, rectangles, styles and ids are compared with one golden dump,
// tests/unit/templates.golden (`make golden` writes it anew when a page is meant to change),
// which holds the icon by its size and hash; the rules every page obeys are checked here.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "resources/page_styles.h"
#include "resources/resource_ids.h"
#include "wizard/page_table.h"

// LULL_RES_PATH is empty when the tree was configured without the resource compiler.
#if !defined(LULL_RES_PATH) || !defined(LULL_GOLDEN_PATH)
#error "LULL_RES_PATH and LULL_GOLDEN_PATH must name the compiled resources and the golden dump"
#endif

namespace lull {
namespace {

// ---------------------------------------------------------------------------
// Reading the .res format

constexpr std::uint16_t kRtIcon = 3;
constexpr std::uint16_t kRtDialog = 5;
constexpr std::uint16_t kRtGroupIcon = 14;

// A resource type or name, a template's menu or class, or a control's class
// or text: either an ordinal (stored as 0xFFFF, number) or a text.
struct NameOrOrdinal {
  bool isOrdinal = false;
  std::uint16_t ordinal = 0;
  std::string text;  // UTF-8

  bool IsOrdinal(std::uint16_t n) const { return isOrdinal && ordinal == n; }
};

// A name or text in quotes, with \ and " escaped, or an ordinal as #number.
std::string Quoted(const NameOrOrdinal& n) {
  if (n.isOrdinal) return "#" + std::to_string(n.ordinal);
  std::string out = "\"";
  for (unsigned char c : n.text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string Quoted(const std::string& text) { return Quoted(NameOrOrdinal{false, 0, text}); }

class ByteReader {
 public:
  explicit ByteReader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

  std::size_t Offset() const { return offset_; }
  std::size_t Left() const { return bytes_.size() - offset_; }
  void Seek(std::size_t offset) {
    if (offset > bytes_.size()) throw std::runtime_error("seek past the end");
    offset_ = offset;
  }
  void AlignTo4(std::size_t base) { Seek(base + ((offset_ - base + 3) & ~std::size_t{3})); }

  std::uint16_t U16() {
    Need(2);
    std::uint16_t v = static_cast<std::uint16_t>(bytes_[offset_] | (bytes_[offset_ + 1] << 8));
    offset_ += 2;
    return v;
  }
  std::uint32_t U32() {
    std::uint32_t low = U16();
    return low | (std::uint32_t{U16()} << 16);
  }
  int I16() { return static_cast<std::int16_t>(U16()); }
  // A rectangle: x, y, width, height.
  void Box(int& x, int& y, int& cx, int& cy) { x = I16(), y = I16(), cx = I16(), cy = I16(); }

  // A zero-terminated UTF-16 text, returned as UTF-8.
  std::string Text() {
    std::string out;
    for (std::uint16_t c = U16(); c != 0; c = U16()) {
      if (c < 0x80) {
        out += static_cast<char>(c);
      } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
      } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    return out;
  }

  NameOrOrdinal NameOrOrd() {
    NameOrOrdinal n;
    if (Peek16() == 0xFFFF) {
      U16();
      n.isOrdinal = true;
      n.ordinal = U16();
    } else {
      n.text = Text();
    }
    return n;
  }

  std::vector<std::uint8_t> Bytes(std::size_t count) {
    Need(count);
    auto first = bytes_.begin() + static_cast<std::ptrdiff_t>(offset_);
    offset_ += count;
    return {first, first + static_cast<std::ptrdiff_t>(count)};
  }

 private:
  std::uint16_t Peek16() {
    std::uint16_t v = U16();
    offset_ -= 2;
    return v;
  }
  void Need(std::size_t count) const {
    if (count > Left())
      throw std::runtime_error("read past the end at offset " + std::to_string(offset_));
  }

  const std::vector<std::uint8_t>& bytes_;
  std::size_t offset_ = 0;
};

struct Resource {
  NameOrOrdinal type;
  NameOrOrdinal name;
  std::uint16_t language = 0;
  std::vector<std::uint8_t> data;
};

// Every entry: data size, header size, type, name, (align 4), data version,
// memory flags, language, version, characteristics, then the data, aligned
// to 4. The file opens with an empty entry of type 0 that marks the format.
std::vector<Resource> ReadResFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(std::string("cannot open ") + path);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                        std::istreambuf_iterator<char>()};
  ByteReader r(bytes);
  std::vector<Resource> resources;
  while (r.Left() > 0) {
    const std::size_t start = r.Offset();
    const std::uint32_t dataSize = r.U32();
    const std::uint32_t headerSize = r.U32();
    Resource res;
    res.type = r.NameOrOrd();
    res.name = r.NameOrOrd();
    r.AlignTo4(start);
    r.U32();  // data version
    r.U16();  // memory flags
    res.language = r.U16();
    r.Seek(start + headerSize);
    res.data = r.Bytes(dataSize);
    r.AlignTo4(start);
    if (!res.type.IsOrdinal(0)) resources.push_back(std::move(res));
  }
  return resources;
}

const std::vector<Resource>& Resources() {
  static const std::vector<Resource> resources = ReadResFile(LULL_RES_PATH);
  return resources;
}

const Resource* Find(std::uint16_t type, const std::string& name) {
  for (const Resource& r : Resources())
    if (r.type.IsOrdinal(type) && !r.name.isOrdinal && r.name.text == name) return &r;
  return nullptr;
}

struct Control {
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  unsigned id = 0;
  NameOrOrdinal windowClass;
  NameOrOrdinal text;
  unsigned creationDataSize = 0;
};

struct Dialog {
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  NameOrOrdinal menu;
  NameOrOrdinal windowClass;
  std::string caption;
  unsigned pointSize = 0;
  std::string faceName;
  std::vector<Control> controls;
  std::size_t bytesAfterLastControl = 0;
};

constexpr std::uint32_t kDsSetFont = 0x40;

// The classic DLGTEMPLATE and its DLGITEMTEMPLATEs, each item aligned to 4.
Dialog ParseDialog(const std::vector<std::uint8_t>& data) {
  ByteReader r(data);
  Dialog d;
  d.style = r.U32();
  d.exStyle = r.U32();
  const unsigned count = r.U16();
  r.Box(d.x, d.y, d.cx, d.cy);
  d.menu = r.NameOrOrd();
  d.windowClass = r.NameOrOrd();
  d.caption = r.Text();
  if (d.style & kDsSetFont) {
    d.pointSize = r.U16();
    d.faceName = r.Text();
  }
  for (unsigned i = 0; i < count; ++i) {
    r.AlignTo4(0);
    Control c;
    c.style = r.U32();
    c.exStyle = r.U32();
    r.Box(c.x, c.y, c.cx, c.cy);
    c.id = r.U16();
    c.windowClass = r.NameOrOrd();
    c.text = r.NameOrOrd();
    c.creationDataSize = r.U16();
    r.Bytes(c.creationDataSize);
    d.controls.push_back(std::move(c));
  }
  d.bytesAfterLastControl = r.Left();
  return d;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return out;
}

// Without i686-w64-mingw32-windres the tree has no lull.res: every test here says so and why.
class Templates : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string_view(LULL_RES_PATH).empty())
      GTEST_SKIP() << "no i686-w64-mingw32-windres on the PATH when this tree was configured, "
                      "so lull.rc is not compiled and its templates are not checked (install "
                      "MinGW-w64, e.g. make setup, and configure again)";
  }
};

// ---------------------------------------------------------------------------
// The golden dump: every resource in the file's order; a dialog with its header and one line
// a control, every field the templates hold; any other resource by its size and a hash.

std::string Hex(std::uint32_t value) {
  char out[12];
  std::snprintf(out, sizeof out, "0x%08X", value);
  return out;
}

std::string ClassName(const NameOrOrdinal& c) {
  if (c.IsOrdinal(0x0080)) return "Button";
  if (c.IsOrdinal(0x0082)) return "Static";
  return Quoted(c);
}

std::string Rectangle(int x, int y, int cx, int cy) {
  return std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(cx) + "x" +
         std::to_string(cy);
}

std::string TypeName(const NameOrOrdinal& type) {
  if (type.IsOrdinal(kRtDialog)) return "dialog";
  if (type.IsOrdinal(kRtIcon)) return "icon";
  if (type.IsOrdinal(kRtGroupIcon)) return "icon group";
  return "type " + Quoted(type);
}

constexpr const char* kGoldenHeader =
    "# lull.res as the template test reads it, resource by resource in the order it holds them:\n"
    "# a dialog with its style, extended style, position and size, menu, class, font, bytes\n"
    "# after its last control and caption, then each control: id, class, style, x,y wxh, its\n"
    "# extended style and creation data when not 0, and its text; any other resource by its\n"
    "# size and hash. `make golden` writes this file anew; read its diff before committing.\n";

std::string Dump() {
  std::ostringstream out;
  out << kGoldenHeader;
  for (const Resource& r : Resources()) {
    out << TypeName(r.type) << " " << Quoted(r.name) << " language " << r.language;
    if (!r.type.IsOrdinal(kRtDialog)) {
      std::uint32_t fnv = 2166136261u;  // FNV-1a
      for (std::uint8_t b : r.data) fnv = (fnv ^ b) * 16777619u;
      out << ": " << r.data.size() << " bytes, FNV-1a " << Hex(fnv) << "\n";
      continue;
    }
    const Dialog d = ParseDialog(r.data);
    out << ": style " << Hex(d.style) << " exstyle " << Hex(d.exStyle) << " at "
        << Rectangle(d.x, d.y, d.cx, d.cy) << " menu " << Quoted(d.menu) << " class "
        << Quoted(d.windowClass) << " font " << d.pointSize << " " << Quoted(d.faceName)
        << " trailing " << d.bytesAfterLastControl << "\n  caption " << Quoted(d.caption) << "\n";
    for (std::size_t i = 0; i < d.controls.size(); ++i) {
      const Control& c = d.controls[i];
      out << "  " << i + 1 << ". id " << c.id << " " << ClassName(c.windowClass) << " "
          << Hex(c.style) << " " << Rectangle(c.x, c.y, c.cx, c.cy);
      if (c.exStyle != 0) out << " exstyle " << Hex(c.exStyle);
      if (c.creationDataSize != 0) out << " data " << c.creationDataSize;
      out << " " << Quoted(c.text) << "\n";
    }
  }
  return out.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// LULL_UPDATE_GOLDEN=1 (make golden) writes the dump instead of comparing with it.
TEST_F(Templates, MatchTheGoldenDump) {
  const std::string dump = Dump();
  const char* update = std::getenv("LULL_UPDATE_GOLDEN");
  if (update != nullptr && std::string_view(update) == "1") {
    std::ofstream(LULL_GOLDEN_PATH, std::ios::binary) << dump;
    std::printf("wrote %s\n", LULL_GOLDEN_PATH);
    return;
  }
  std::ifstream in(LULL_GOLDEN_PATH, std::ios::binary);
  ASSERT_TRUE(in) << "no " << LULL_GOLDEN_PATH << ": make golden writes it";
  const std::vector<std::string> want = Lines({std::istreambuf_iterator<char>(in), {}});
  const std::vector<std::string> got = Lines(dump);
  if (got == want) return;
  std::size_t at = 0;
  while (at < want.size() && at < got.size() && want[at] == got[at]) ++at;
  ADD_FAILURE() << "lull.res differs from " << LULL_GOLDEN_PATH << " first at its line " << at + 1
                << ":\n- " << (at < want.size() ? want[at] : "(end of file)") << "\n+ "
                << (at < got.size() ? got[at] : "(end of dump)")
                << "\nIf the change is meant, run make golden and review its diff.";
}

// ---------------------------------------------------------------------------
// The rules every page obeys

// The five kinds of control the pages are made of, with the ids each may carry.
struct KindForm {
  const char* kind;
  std::uint16_t classAtom;
  std::uint32_t style;
  std::set<unsigned> ids;
};

// The time radios' ids, from the table of times.
#define LULL_TIME_RADIO_ID(unused, id, minutes, position) id,

enum { kFrame, kText, kCentredText, kRadio, kButton };
const KindForm kKinds[] = {
    {"frame", 0x0080, LULL_FRAME_STYLE, {IDC_STATIC_TEXT}},
    {"text",
     0x0082,
     LULL_TEXT_STYLE,
     {IDC_STATIC_TEXT, IDC_FINISH_NOTE, IDC_CURRENT_STATE, IDC_CURRENT_SLEEP, IDC_CURRENT_SAVER,
      IDC_PREVIOUS_STATE, IDC_PREVIOUS_SLEEP, IDC_PREVIOUS_SAVER}},
    {"centred text", 0x0082, LULL_CENTRED_TEXT_STYLE, {IDC_STATIC_TEXT}},
    {"radio",
     0x0080,
     LULL_RADIO_STYLE,
     {IDC_YES, IDC_NO, LULL_TIME_CHOICES(LULL_TIME_RADIO_ID, 0)}},
    {"button",
     0x0080,
     LULL_BUTTON_STYLE,
     {IDC_CANCEL, IDC_FINISH, IDC_PREVIOUS, IDC_NEXT, IDC_LICENSE, IDC_LICENSE_OK}},
};

const KindForm* KindOf(const Control& c) {
  for (const KindForm& k : kKinds)
    if (c.windowClass.IsOrdinal(k.classAtom) && c.style == k.style) return &k;
  return nullptr;
}

std::string KindName(const Control& c) {
  const KindForm* k = KindOf(c);
  return k == nullptr ? "none" : k->kind;
}

// The resources are the templates the program asks for by name, the icon and its group.
TEST_F(Templates, AreThePagesOfThePageTableAndTheIcon) {
  std::multiset<std::string> expected = {"#3 #1", "#14 #" + std::to_string(IDI_LULL)};
  for (std::size_t p = 1; p < kPageCount; ++p)
    expected.insert("#5 \"" + Upper(InfoOf(static_cast<PageId>(p)).templateName) + "\"");
  std::multiset<std::string> actual;
  for (const Resource& r : Resources()) {
    actual.insert(Quoted(r.type) + " " + Quoted(r.name));
    EXPECT_EQ(r.language, 0u) << Quoted(r.name) << " is not language neutral";
  }
  EXPECT_EQ(actual, expected);
}

TEST_F(Templates, EveryPageIsMadeOfControlsOfTheFiveKinds) {
  for (const Resource& r : Resources()) {
    if (!r.type.IsOrdinal(kRtDialog)) continue;
    const std::string& name = r.name.text;
    const Dialog d = ParseDialog(r.data);
    SCOPED_TRACE(name);
    ASSERT_FALSE(d.controls.empty());
    std::set<unsigned> ids;
    for (std::size_t i = 0; i < d.controls.size(); ++i) {
      const Control& c = d.controls[i];
      SCOPED_TRACE("control " + std::to_string(i + 1) + " " + Quoted(c.text));
      const KindForm* kind = KindOf(c);
      ASSERT_NE(kind, nullptr) << "class " << Quoted(c.windowClass) << " style " << Hex(c.style);
      EXPECT_TRUE(kind->ids.contains(c.id)) << "a " << kind->kind << " with id " << c.id;
      EXPECT_TRUE(c.id == IDC_STATIC_TEXT || ids.insert(c.id).second) << "id " << c.id << " twice";
      // Static texts and buttons take '&' as a mnemonic marker and hide it.
      EXPECT_EQ(c.text.text.find('&'), std::string::npos);
      // The one frame comes first. A frame, a radio and a text the page handler fills are
      // empty; every other control has its text.
      EXPECT_EQ(kind == &kKinds[kFrame], i == 0) << "a " << kind->kind;
      EXPECT_EQ(c.text.text.empty(), kind == &kKinds[kFrame] || kind == &kKinds[kRadio] ||
                                         (kind == &kKinds[kText] && c.id != IDC_STATIC_TEXT));
      // A radio is 10 x 10; its label is the text that follows, 13 units to its right.
      if (kind == &kKinds[kRadio]) {
        EXPECT_EQ(c.cx, 10);
        EXPECT_EQ(c.cy, 10);
        ASSERT_LT(i + 1, d.controls.size());
        const Control& label = d.controls[i + 1];
        EXPECT_EQ(KindName(label), "text");
        EXPECT_EQ(label.x, c.x + 13);
        EXPECT_EQ(label.y, c.y);
      }
    }
    // License on every page but the licence, which has its OK.
    EXPECT_NE(ids.contains(IDC_LICENSE), name == "LICENSEDISPLAY");
    EXPECT_EQ(ids.contains(IDC_LICENSE_OK), name == "LICENSEDISPLAY");
  }
}

// The page handler checks the radios its page table names.
TEST_F(Templates, HoldTheRadiosOfTheirPagesChoice) {
  for (std::size_t p = 1; p < kPageCount; ++p) {
    const PageInfo& page = InfoOf(static_cast<PageId>(p));
    SCOPED_TRACE(page.templateName);
    const Resource* r = Find(kRtDialog, Upper(page.templateName));
    ASSERT_NE(r, nullptr);
    std::set<unsigned> radios;
    for (const Control& c : ParseDialog(r->data).controls)
      if (KindName(c) == "radio") radios.insert(c.id);
    const std::set<unsigned> yesNo = {IDC_YES, IDC_NO};
    const std::set<unsigned> times = {LULL_TIME_CHOICES(LULL_TIME_RADIO_ID, 0)};
    EXPECT_EQ(radios, page.choice == ChoiceKind::YesNo  ? yesNo
                      : page.choice == ChoiceKind::Time ? times
                                                        : std::set<unsigned>{});
  }
}

}  // namespace
}  // namespace lull
