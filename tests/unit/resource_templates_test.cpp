// Reads the compiled resources (lull.res, as windres writes them) byte by byte
// and checks the fourteen page templates and the program icon against tables.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#ifndef LULL_RES_PATH
#error "LULL_RES_PATH must name the compiled resource file"
#endif

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

  bool IsEmptyText() const { return !isOrdinal && text.empty(); }
  bool IsOrdinal(std::uint16_t n) const { return isOrdinal && ordinal == n; }
};

std::string Describe(const NameOrOrdinal& n) {
  return n.isOrdinal ? "#" + std::to_string(n.ordinal) : "\"" + n.text + "\"";
}

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

  std::uint8_t U8() {
    Need(1);
    return bytes_[offset_++];
  }
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
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }

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

const Resource* Find(std::uint16_t type, std::uint16_t id) {
  for (const Resource& r : Resources())
    if (r.type.IsOrdinal(type) && r.name.IsOrdinal(id)) return &r;
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
  d.x = r.I16();
  d.y = r.I16();
  d.cx = r.I16();
  d.cy = r.I16();
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
    c.x = r.I16();
    c.y = r.I16();
    c.cx = r.I16();
    c.cy = r.I16();
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

// ---------------------------------------------------------------------------
// The templates as they should be

enum class Kind { Frame, Text, CentredText, Radio, Button };

struct KindForm {
  Kind kind;
  std::uint16_t classAtom;
  std::uint32_t style;
};

constexpr KindForm kKindForms[] = {
    {Kind::Frame, 0x0080, 0x50000807},        // Button: group box, bottom
    {Kind::Text, 0x0082, 0x50020000},         // Static: group, left
    {Kind::CentredText, 0x0082, 0x50020001},  // Static: group, centre
    {Kind::Radio, 0x0080, 0x50030009},        // Button: group, tab stop, auto radio
    {Kind::Button, 0x0080, 0x50010001},       // Button: tab stop, default push button
};

const KindForm& FormOf(Kind kind) {
  for (const KindForm& f : kKindForms)
    if (f.kind == kind) return f;
  throw std::logic_error("kind without a form");
}

// Marks a text whose wording is the program's own; kOwnTexts gives its role.
constexpr const char* kOwnWording = nullptr;

struct ExpectedControl {
  unsigned id;
  Kind kind;
  int x, y, cx, cy;
  const char* text;
};

struct ExpectedPage {
  const char* name;
  const char* caption;
  int x, y, cx, cy;
  std::vector<ExpectedControl> controls;
};

constexpr Kind kFrame = Kind::Frame;
constexpr Kind kText = Kind::Text;
constexpr Kind kCentred = Kind::CentredText;
constexpr Kind kRadio = Kind::Radio;
constexpr Kind kButton = Kind::Button;

constexpr const char* kActivateIntro =
    "Personal computers use more energy than all other desktop and office equipment combined.  "
    "Unfortunately, much of this energy is needlessly expended while the computer sits idle, "
    "perhaps while you are in a meeting, on the telephone, or at lunch.  Fortunately, we can "
    "reduce this waste through the use of Sleepwell, which can turn off your monitor, the most "
    "comsuming component, during idle time.  If you don't use your computer for a certain time, "
    "the monitor will turn itself off.  To turn it back on, simply push your mouse or press a key "
    "and wait a few seconds.";
constexpr const char* kActivateQuestion =
    "To help in this worthwhile effort to reduce energy usage, do you want to activate the "
    "Sleepwell feature on your computer's monitor?";
constexpr const char* kSelectMinutes =
    "Please select the number of minutes that indicate how long your system should be idle before "
    "the monitor will go to sleep.  A shorter time saves more energy.";

// One row per control, as in a page table.
// clang-format off
const std::vector<ExpectedPage>& ExpectedPages() {
  static const std::vector<ExpectedPage> pages = {
      {"AboutDisplay",
       "Lull Wizard - Ver 1.00 (12/8/2026)",
       145, 80, 225, 150,
       {
           {0, kFrame, 5, 2, 215, 118, ""},
           {0, kText, 12, 10, 200, 35,
            "This program provides a mechanism to configure Sleepwell settings on your computer, "
            "or restore your system with the values prior to the latest automated activation."},
           {0, kText, 12, 57, 160, 28, "Developed by:"},
           {0, kText, 20, 70, 160, 12, kOwnWording},
           {0, kText, 20, 79, 160, 12, kOwnWording},
           {0, kText, 20, 88, 160, 12, kOwnWording},
           {0, kText, 20, 97, 160, 12, kOwnWording},
           {13, kButton, 65, 130, 50, 16, "License"},
           {8, kButton, 120, 130, 50, 16, "   OK   "},
       }},
      {"LicenseDisplay",
       "Lull Wizard PC Monitor Power Management Program",
       120, 60, 280, 230,
       {
           {0, kFrame, 5, 2, 270, 205, ""},
           {0, kCentred, 10, 10, 260, 12, "LULL WIZARD PROGRAM LICENSE AGREEMENT"},
           {0, kText, 15, 25, 250, 30, kOwnWording},
           {0, kText, 15, 57, 250, 22,
            "Users are free to duplicate, distribute, or copy this software at no cost for use "
            "without restriction."},
           {0, kText, 15, 81, 250, 120, kOwnWording},
           {14, kButton, 110, 210, 30, 14, "OK"},
       }},
      {"ResetActivate",
       "Lull Wizard",
       145, 80, 240, 190,
       {
           {0, kFrame, 5, 2, 230, 158, ""},
           {0, kText, 12, 10, 217, 25,
            "The Sleepwell settings on your system have previously been activated using the Lull "
            "Wizard."},
           {0, kText, 12, 35, 217, 28,
            "Do you want to change the settings or return to the settings that existed before the "
            "activation?"},
           {1, kRadio, 27, 65, 10, 10, ""},
           {0, kText, 40, 65, 130, 12, "Reactivate (change existing settings)"},
           {7, kRadio, 27, 80, 10, 10, ""},
           {0, kText, 40, 80, 130, 12, "Reset (return to old settings)"},
           {13, kButton, 10, 165, 50, 16, "License"},
           {11, kButton, 120, 165, 50, 16, "Next >>"},
           {2, kButton, 175, 165, 50, 16, "Cancel"},
       }},
      {"ShowCurrent",
       "Lull Wizard",
       145, 80, 240, 190,
       {
           {0, kFrame, 5, 2, 230, 158, ""},
           {0, kText, 12, 7, 217, 12, "Your current Sleepwell settings are:"},
           {5000, kText, 24, 20, 120, 12, ""},
           {5001, kText, 24, 29, 120, 12, ""},
           {5002, kText, 24, 38, 120, 12, ""},
           {0, kText, 12, 55, 217, 12, "Your previous Sleepwell settings were:"},
           {5003, kText, 24, 68, 120, 12, ""},
           {5004, kText, 24, 77, 120, 12, ""},
           {5005, kText, 24, 86, 120, 12, ""},
           {0, kText, 12, 105, 217, 18,
            "Do you want to reset your system to use the previous Sleepwell settings?"},
           {1, kRadio, 27, 130, 10, 10, ""},
           {0, kText, 40, 130, 60, 12, "Yes (Reset)"},
           {7, kRadio, 27, 145, 10, 10, ""},
           {0, kText, 40, 145, 60, 12, "No (Do not reset)"},
           {13, kButton, 10, 165, 50, 16, "License"},
           {10, kButton, 65, 165, 50, 16, "<< Previous"},
           {11, kButton, 120, 165, 50, 16, "Next >>"},
           {2, kButton, 175, 165, 50, 16, "Cancel"},
       }},
      {"ActivateYesNo",
       "Lull Wizard",
       145, 80, 240, 190,
       {
           {0, kFrame, 5, 2, 230, 158, ""},
           {0, kText, 12, 7, 217, 80, kActivateIntro},
           {0, kText, 12, 90, 217, 120, kActivateQuestion},
           {1, kRadio, 27, 125, 10, 10, ""},
           {0, kText, 40, 125, 130, 12, "Yes, please activate Sleepwell"},
           {7, kRadio, 27, 140, 10, 10, ""},
           {0, kText, 40, 140, 130, 12, "No, do not activate Sleepwell"},
           {13, kButton, 10, 165, 50, 16, "License"},
           {11, kButton, 120, 165, 50, 16, "Next >>"},
           {2, kButton, 175, 165, 50, 16, "Cancel"},
       }},
      {"ActivateYesNoPrev",
       "Lull Wizard",
       145, 80, 240, 190,
       {
           {0, kFrame, 5, 2, 230, 158, ""},
           {0, kText, 12, 7, 217, 80, kActivateIntro},
           {0, kText, 12, 90, 217, 120, kActivateQuestion},
           {1, kRadio, 27, 125, 10, 10, ""},
           {0, kText, 40, 125, 130, 12, "Yes, please activate Sleepwell"},
           {7, kRadio, 27, 140, 10, 10, ""},
           {0, kText, 40, 140, 130, 12, "No, do not activate Sleepwell"},
           {13, kButton, 10, 165, 50, 16, "License"},
           {10, kButton, 65, 165, 50, 16, "<< Previous"},
           {11, kButton, 120, 165, 50, 16, "Next >>"},
           {2, kButton, 175, 165, 50, 16, "Cancel"},
       }},
      {"SelectTime",
       "Lull Wizard",
       145, 80, 240, 190,
       {
           {0, kFrame, 5, 2, 230, 158, ""},
           {0, kText, 12, 12, 217, 80, kSelectMinutes},
           {4097, kRadio, 27, 50, 10, 10, ""},
           {0, kText, 40, 50, 130, 12, "10 Minutes"},
           {4098, kRadio, 27, 65, 10, 10, ""},
           {0, kText, 40, 65, 130, 12, "15 Minutes"},
           {4100, kRadio, 27, 80, 10, 10, ""},
           {0, kText, 40, 80, 130, 12, "20 Minutes"},
           {13, kButton, 10, 165, 50, 16, "License"},
           {10, kButton, 65, 165, 50, 16, "<< Previous"},
           {11, kButton, 120, 165, 50, 16, "Next >>"},
           {2, kButton, 175, 165, 50, 16, "Cancel"},
       }},
      {"SelectCompliant",
       "Lull Wizard",
       145, 80, 240, 190,
       {
           {0, kFrame, 5, 2, 230, 158, ""},
           {0, kText, 12, 10, 217, 25,
            "Your system already has Sleepwell activated, but the sleep time (when the monitor "
            "will power down) may not be set optimally."},
           {0, kText, 12, 35, 217, 25, kSelectMinutes},
           {4097, kRadio, 27, 70, 10, 10, ""},
           {0, kText, 40, 70, 130, 12, "10 Minutes"},
           {4098, kRadio, 27, 85, 10, 10, ""},
           {0, kText, 40, 85, 130, 12, "15 Minutes"},
           {4100, kRadio, 27, 100, 10, 10, ""},
           {0, kText, 40, 100, 130, 12, "20 Minutes"},
           {13, kButton, 10, 165, 50, 16, "License"},
           {11, kButton, 120, 165, 50, 16, "Next >>"},
           {2, kButton, 175, 165, 50, 16, "Cancel"},
       }},
      {"AdjustScreenSave",
       "Lull Wizard",
       145, 80, 240, 190,
       {
           {0, kFrame, 5, 2, 230, 158, ""},
           {0, kText, 12, 7, 217, 80,
            "The time that you have elected for Sleepwell is before the time when your screen "
            "saver currently comes on.  If you leave the screen saver time as it is, it will never "
            "appear.  Do you want the screen saver time to be changed so that you still see the "
            "screen saver before the monitor goes to sleep?"},
           {1, kRadio, 27, 65, 10, 10, ""},
           {0, kText, 40, 65, 130, 12, "Yes, please move my screen saver time"},
           {7, kRadio, 27, 80, 10, 10, ""},
           {0, kText, 40, 80, 130, 12, "No, do not move my screen saver time"},
           {13, kButton, 10, 165, 50, 16, "License"},
           {10, kButton, 65, 165, 50, 16, "<< Previous"},
           {11, kButton, 120, 165, 50, 16, "Next >>"},
           {2, kButton, 175, 165, 50, 16, "Cancel"},
       }},
      {"NormalFinish",
       "Lull Wizard",
       145, 80, 240, 190,
       {
           {0, kFrame, 5, 2, 230, 158, ""},
           {0, kText, 12, 10, 217, 25,
            "Your system's monitor Sleepwell feature has been activated.  To wake up a sleeping "
            "monitor, simply push your mouse or press a key.  "},
           {0, kText, 12, 35, 217, 25,
            "If you wish to return your system to its previous settings, run this program again "
            "and select the Reset option."},
           {0, kText, 12, 60, 217, 25,
            "Thank you for your interest in Sleepwell, and keep practicing efficient computing."},
           {3000, kText, 12, 85, 217, 25, ""},
           {13, kButton, 65, 165, 50, 16, "License"},
           {8, kButton, 120, 165, 50, 16, "Finish"},
       }},
      {"NoActivateFinish",
       "Lull Wizard",
       145, 80, 240, 190,
       {
           {0, kFrame, 5, 2, 230, 158, ""},
           {0, kText, 12, 12, 217, 80,
            "Thank you for your interest in Sleepwell.  We hope that you will consider using "
            "Sleepwell on your computer in the future to reduce energy usage."},
           {13, kButton, 65, 165, 50, 16, "License"},
           {8, kButton, 120, 165, 50, 16, "Finish"},
       }},
      {"ResetFinish",
       "Lull Wizard",
       145, 80, 240, 190,
       {
           {0, kFrame, 5, 2, 230, 158, ""},
           {0, kText, 10, 12, 217, 25,
            "Your Sleepwell settings have been reset to their previous settings."},
           {3000, kText, 12, 35, 217, 25, ""},
           {13, kButton, 65, 165, 50, 16, "License"},
           {8, kButton, 120, 165, 50, 16, "Finish"},
       }},
      {"NoResetFinish",
       "Lull Wizard",
       145, 80, 240, 190,
       {
           {0, kFrame, 5, 2, 230, 158, ""},
           {0, kText, 12, 12, 217, 80,
            "You have elected to keep your current settings, so your Sleepwell settings have NOT "
            "been reset."},
           {13, kButton, 65, 165, 50, 16, "License"},
           {8, kButton, 120, 165, 50, 16, "Finish"},
       }},
      {"NTFinish",
       "Lull Wizard",
       145, 80, 240, 190,
       {
           {0, kFrame, 5, 2, 230, 158, ""},
           {0, kText, 12, 12, 217, 80,
            "Your computer operating system uses Windows NT, which unfortunately does not support "
            "Sleepwell.  Therefore, we cannot activate power management capabilities on your "
            "system.  Nevertheless, we thank you for your interest in Sleepwell and your efforts "
            "to save energy while computing."},
           {13, kButton, 65, 165, 50, 16, "License"},
           {8, kButton, 120, 165, 50, 16, "Finish"},
       }},
  };
  return pages;
}
// clang-format on

Dialog LoadDialog(const std::string& pageName) {
  const Resource* r = Find(kRtDialog, Upper(pageName));
  if (r == nullptr) throw std::runtime_error("no dialog resource " + Upper(pageName));
  return ParseDialog(r->data);
}

// ---------------------------------------------------------------------------
// The resource file as a whole

TEST(ResourceFile, HoldsTheFourteenPagesTheIconAndNothingElse) {
  std::vector<std::string> expected;
  for (const ExpectedPage& p : ExpectedPages())
    expected.push_back("type #5 name \"" + Upper(p.name) + "\"");
  expected.push_back("type #3 name #1");
  expected.push_back("type #14 name #6015");

  std::vector<std::string> actual;
  for (const Resource& r : Resources())
    actual.push_back("type " + Describe(r.type) + " name " + Describe(r.name));

  std::sort(expected.begin(), expected.end());
  std::sort(actual.begin(), actual.end());
  EXPECT_EQ(actual, expected);
}

TEST(ResourceFile, EveryResourceIsLanguageNeutral) {
  ASSERT_FALSE(Resources().empty());
  for (const Resource& r : Resources())
    EXPECT_EQ(r.language, 0u) << "type " << Describe(r.type) << " name " << Describe(r.name);
}

// ---------------------------------------------------------------------------
// Each page template

void PrintTo(const ExpectedPage& page, std::ostream* out) { *out << page.name; }

class PageTemplate : public ::testing::TestWithParam<ExpectedPage> {};

TEST_P(PageTemplate, HasTheCommonFormWithItsCaptionPositionAndSize) {
  const ExpectedPage& page = GetParam();
  const Dialog d = LoadDialog(page.name);

  EXPECT_EQ(d.style, 0x90CA08C4u);
  EXPECT_EQ(d.exStyle, 0u);
  EXPECT_TRUE(d.menu.IsEmptyText()) << "menu " << Describe(d.menu);
  EXPECT_TRUE(d.windowClass.IsEmptyText()) << "class " << Describe(d.windowClass);
  EXPECT_EQ(d.caption, page.caption);
  EXPECT_EQ(d.pointSize, 8u);
  EXPECT_EQ(d.faceName, "MS Sans Serif");
  EXPECT_EQ((std::vector<int>{d.x, d.y, d.cx, d.cy}),
            (std::vector<int>{page.x, page.y, page.cx, page.cy}));
  EXPECT_EQ(d.bytesAfterLastControl, 0u) << "bytes after the last control";
}

TEST_P(PageTemplate, HasEveryControlInCreationOrder) {
  const ExpectedPage& page = GetParam();
  const Dialog d = LoadDialog(page.name);

  ASSERT_EQ(d.controls.size(), page.controls.size());
  for (std::size_t i = 0; i < page.controls.size(); ++i) {
    SCOPED_TRACE("control #" + std::to_string(i + 1));
    const ExpectedControl& want = page.controls[i];
    const Control& got = d.controls[i];
    const KindForm& form = FormOf(want.kind);

    EXPECT_EQ(got.id, want.id);
    EXPECT_TRUE(got.windowClass.IsOrdinal(form.classAtom)) << "class " << Describe(got.windowClass);
    EXPECT_EQ(got.style, form.style);
    EXPECT_EQ(got.exStyle, 0u);
    EXPECT_EQ((std::vector<int>{got.x, got.y, got.cx, got.cy}),
              (std::vector<int>{want.x, want.y, want.cx, want.cy}));
    EXPECT_FALSE(got.text.isOrdinal) << "text " << Describe(got.text);
    // A text whose wording is the program's own (the credits, the licence) must be there.
    if (want.text != kOwnWording) {
      EXPECT_EQ(got.text.text, want.text);
    } else {
      EXPECT_FALSE(got.text.text.empty());
    }
    // Static texts and buttons take '&' as a mnemonic marker and hide it.
    EXPECT_EQ(got.text.text.find('&'), std::string::npos) << got.text.text;
    EXPECT_EQ(got.creationDataSize, 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(AllPages, PageTemplate, ::testing::ValuesIn(ExpectedPages()),
                         [](const ::testing::TestParamInfo<ExpectedPage>& page) {
                           return std::string(page.param.name);
                         });

// ---------------------------------------------------------------------------
// The program icon

constexpr int kIconSize = 32;
constexpr std::size_t kBitmapHeaderSize = 40;
constexpr std::size_t kPaletteSize = 16 * 4;
constexpr std::size_t kColourBytes = kIconSize * kIconSize / 2;  // 4 bits a pixel, rows of 16 bytes
constexpr std::size_t kMaskBytes = kIconSize * kIconSize / 8;    // 1 bit a pixel, rows of 4 bytes

TEST(ProgramIcon, GroupHoldsOneThirtyTwoPixelSixteenColourImageWithIdOne) {
  const Resource* group = Find(kRtGroupIcon, 6015);
  const Resource* icon = Find(kRtIcon, 1);
  ASSERT_NE(group, nullptr);
  ASSERT_NE(icon, nullptr);

  ByteReader r(group->data);
  EXPECT_EQ(r.U16(), 0u);  // reserved
  EXPECT_EQ(r.U16(), 1u);  // icons, not cursors
  ASSERT_EQ(r.U16(), 1u);  // one image
  EXPECT_EQ(r.U8(), kIconSize);
  EXPECT_EQ(r.U8(), kIconSize);
  EXPECT_EQ(r.U8(), 16u);  // colours
  EXPECT_EQ(r.U8(), 0u);   // reserved
  EXPECT_EQ(r.U16(), 1u);  // planes
  EXPECT_EQ(r.U16(), 4u);  // bits a pixel
  EXPECT_EQ(r.U32(), icon->data.size());
  EXPECT_EQ(r.U16(), 1u);  // the RT_ICON id
  EXPECT_EQ(r.Left(), 0u);
}

TEST(ProgramIcon, ImageIsAFourBitBitmapWithItsMask) {
  const Resource* icon = Find(kRtIcon, 1);
  ASSERT_NE(icon, nullptr);
  ASSERT_EQ(icon->data.size(), kBitmapHeaderSize + kPaletteSize + kColourBytes + kMaskBytes);

  ByteReader r(icon->data);
  EXPECT_EQ(r.U32(), kBitmapHeaderSize);
  EXPECT_EQ(r.I32(), kIconSize);
  EXPECT_EQ(r.I32(), 2 * kIconSize);  // colour image and mask, one above the other
  EXPECT_EQ(r.U16(), 1u);             // planes
  EXPECT_EQ(r.U16(), 4u);             // bits a pixel
  EXPECT_EQ(r.U32(), 0u);             // uncompressed
}

}  // namespace
