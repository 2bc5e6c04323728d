#include "platform/archive.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/scratch_home.h"

namespace zv::platform {
namespace {

using zv::testing::TempDir;

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

// A key binding like the control's macro table entries.
class Binding : public ArchiveObject {
 public:
  static const RuntimeClass kRuntimeClass;
  Binding() = default;
  Binding(std::string name, std::string key) : name_(std::move(name)), key_(std::move(key)) {}
  const RuntimeClass& GetRuntimeClass() const override { return kRuntimeClass; }
  void Serialize(Archive& ar) override {
    if (ar.IsStoring()) {
      ar << name_ << key_;
    } else {
      ar >> name_ >> key_;
    }
  }
  std::string name_;
  std::string key_;
};
const RuntimeClass Binding::kRuntimeClass{"CMacro", 1, [] { return std::unique_ptr<ArchiveObject>(new Binding); }};

// A second class, derived from the first, found by name through the registry.
class ShortcutBinding : public Binding {
 public:
  static const RuntimeClass kRuntimeClass;
  const RuntimeClass& GetRuntimeClass() const override { return kRuntimeClass; }
};
const RuntimeClass ShortcutBinding::kRuntimeClass{
    "CShortcut", 2, [] { return std::unique_ptr<ArchiveObject>(new ShortcutBinding); }, &Binding::kRuntimeClass};
const ArchiveClassRegistrar kRegisterShortcut(ShortcutBinding::kRuntimeClass);

const RuntimeClass kUnrelated{"CUnrelated", 1, nullptr};

ArchiveCause CauseOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const ArchiveException& e) {
    return e.cause();
  }
  return ArchiveCause::kNone;
}

TEST(ArchiveStrings, LengthEscapesAtTheirBoundaries) {
  struct Case {
    std::size_t length;
    std::string header;
  };
  const Case cases[] = {
      {0, Bytes({0x00})},
      {254, Bytes({0xFE})},
      {255, Bytes({0xFF, 0xFF, 0x00})},
      {0xFFFD, Bytes({0xFF, 0xFD, 0xFF})},
      // 0xFFFE would read as the UTF-16 marker and 0xFFFF is the next escape.
      {0xFFFE, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
      {0xFFFF, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00})},
      {0x10000, Bytes({0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    const std::string text(c.length, 'x');
    Archive out;
    out.WriteString(text);
    ASSERT_EQ(out.Buffer().size(), c.header.size() + c.length);
    EXPECT_EQ(out.Buffer().substr(0, c.header.size()), c.header);
    Archive in(out.Buffer());
    EXPECT_EQ(in.ReadString(), text);
    EXPECT_EQ(in.Remaining(), 0u);
  }
}

TEST(ArchiveStrings, CorruptLengthsFailWithoutAllocating) {
  const std::pair<std::string, ArchiveCause> cases[] = {
      {Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a'}), ArchiveCause::kEndOfFile},  // u32 near 2 GB
      {Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}),
       ArchiveCause::kEndOfFile},                                      // u64
      {Bytes({0xFF, 0x00, 0x01, 'a', 'b'}), ArchiveCause::kEndOfFile},  // 256
      {Bytes({0xFF, 0xFE, 0xFF, 0x01, 'a', 0x00}), ArchiveCause::kGeneric},  // the UTF-16 marker
  };
  for (const auto& [input, cause] : cases) {
    Archive in(input);
    EXPECT_EQ(CauseOf([&] { in.ReadString(); }), cause);
  }
}

TEST(ArchiveCounts, EscapeAtFfff) {
  struct Case {
    std::uint64_t count;
    std::string bytes;
  };
  const Case cases[] = {
      {0, Bytes({0x00, 0x00})},
      {0xFFFE, Bytes({0xFE, 0xFF})},
      {0xFFFF, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00})},
      {70000, Bytes({0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})},
  };
  for (const auto& c : cases) {
    Archive out;
    out.WriteCount(c.count);
    EXPECT_EQ(out.Buffer(), c.bytes) << c.count;
    Archive in(c.bytes);
    EXPECT_EQ(in.ReadCount(), c.count);
  }
}

TEST(ArchiveNumbers, LittleEndianRoundTrip) {
  Archive out;
  out << BYTE{0x12} << WORD{0x3456} << DWORD{0x789ABCDE} << SHORT{-2} << LONG{-3} << 1.5;
  EXPECT_EQ(out.Buffer().substr(0, 7), Bytes({0x12, 0x56, 0x34, 0xDE, 0xBC, 0x9A, 0x78}));
  EXPECT_EQ(out.Buffer().substr(7, 6), Bytes({0xFE, 0xFF, 0xFD, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(out.Buffer().substr(13), Bytes({0, 0, 0, 0, 0, 0, 0xF8, 0x3F}));

  Archive in(out.Buffer());
  EXPECT_EQ(in.ReadU8(), 0x12);
  EXPECT_EQ(in.ReadU16(), 0x3456);
  EXPECT_EQ(in.ReadU32(), 0x789ABCDEu);
  EXPECT_EQ(in.ReadI16(), -2);
  EXPECT_EQ(in.ReadI32(), -3);
  EXPECT_EQ(in.ReadDouble(), 1.5);
  EXPECT_EQ(CauseOf([&] { in.WriteU8(1); }), ArchiveCause::kReadOnly);
  EXPECT_EQ(CauseOf([&] { out.ReadU8(); }), ArchiveCause::kWriteOnly);
}

// The macro table record: count, tagged objects, then the strings again.
std::string MacroTable(std::vector<Binding>& entries) {
  Archive out;
  out.WriteCount(entries.size());
  for (auto& e : entries) out.WriteObject(&e);
  for (auto& e : entries) out << e.name_ << e.key_;
  return out.Buffer();
}

TEST(ArchiveObjects, ClassTagsAsTheFrameworkWritesThem) {
  std::vector<Binding> one = {{"PNR", "Shift+P"}};
  EXPECT_EQ(MacroTable(one), Bytes({0x01, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x06, 0x00}) + "CMacro" + "\x03PNR" +
                                 "\x07Shift+P" + "\x03PNR" + "\x07Shift+P");

  // Later objects of the class refer to its index 1; each object takes an index too.
  std::vector<Binding> two = {{"A", "Shift+A"}, {"B", "Shift+B"}};
  const std::string bytes = MacroTable(two);
  const std::size_t second = 2 + 2 + 2 + 2 + 6 + 2 + 8;
  EXPECT_EQ(bytes.substr(second, 2), Bytes({0x01, 0x80}));

  Archive in(bytes);
  ASSERT_EQ(in.ReadCount(), 2u);
  auto a = in.ReadObjectOf<Binding>();
  auto b = in.ReadObjectOf<Binding>();
  EXPECT_EQ(a->key_, "Shift+A");
  EXPECT_EQ(b->name_, "B");
  EXPECT_EQ(in.ReadString(), "A");
}

TEST(ArchiveObjects, NullAndRepeatedObjectsComeBackAsTheyWere) {
  Binding shared{"X", "Shift+X"};
  Archive out;
  out.WriteObject(&shared);
  out.WriteObject(nullptr);
  out.WriteObject(&shared);
  // Class 1, object 2: the repeat is a plain object index.
  EXPECT_EQ(out.Buffer().substr(out.Buffer().size() - 4), Bytes({0x00, 0x00, 0x02, 0x00}));

  Archive in(out.Buffer());
  auto first = in.ReadObject(&Binding::kRuntimeClass);
  EXPECT_EQ(in.ReadObject(&Binding::kRuntimeClass), nullptr);
  EXPECT_EQ(in.ReadObject(&Binding::kRuntimeClass), first);
}

TEST(ArchiveObjects, BigIndicesUseTheEscapeTag) {
  std::vector<Binding> many(0x7FFF);
  ShortcutBinding late;
  ShortcutBinding later;
  Archive out;
  for (auto& b : many) out.WriteObject(&b);
  out.WriteObject(&late);   // new class: index 0x8001, then the object 0x8002
  out.WriteObject(&later);  // class reference beyond 15 bits
  out.WriteObject(&late);   // object reference beyond 15 bits
  const std::string& bytes = out.Buffer();
  EXPECT_EQ(bytes.substr(bytes.size() - 14, 6), Bytes({0xFF, 0x7F, 0x01, 0x80, 0x00, 0x80}));
  EXPECT_EQ(bytes.substr(bytes.size() - 6), Bytes({0xFF, 0x7F, 0x02, 0x80, 0x00, 0x00}));

  Archive in(bytes);
  for (std::size_t i = 0; i < many.size(); ++i) in.ReadObject(&Binding::kRuntimeClass);
  auto a = in.ReadObject(&Binding::kRuntimeClass);  // derived class accepted
  auto b = in.ReadObject(nullptr);
  EXPECT_EQ(&a->GetRuntimeClass(), &ShortcutBinding::kRuntimeClass);
  EXPECT_EQ(&b->GetRuntimeClass(), &ShortcutBinding::kRuntimeClass);
  EXPECT_NE(a, b);
  EXPECT_EQ(in.ReadObject(nullptr), a);
}

TEST(ArchiveObjects, BadTagsClassesAndSchemasAreArchiveErrors) {
  auto read_binding = [](const std::string& bytes) {
    return CauseOf([&] {
      Archive in(bytes);
      in.ReadObject(&Binding::kRuntimeClass);
    });
  };
  const std::string header = Bytes({0xFF, 0xFF, 0x01, 0x00, 0x06, 0x00});
  EXPECT_EQ(read_binding(header + "CMacro" + Bytes({0, 0})), ArchiveCause::kNone);
  EXPECT_EQ(read_binding(header + "CMacrX" + Bytes({0, 0})), ArchiveCause::kBadClass);
  EXPECT_EQ(read_binding(Bytes({0xFF, 0xFF, 0x02, 0x00, 0x06, 0x00}) + "CMacro"), ArchiveCause::kBadSchema);
  EXPECT_EQ(read_binding(Bytes({0x01, 0x80})), ArchiveCause::kBadIndex);  // class 1 never met
  EXPECT_EQ(read_binding(Bytes({0x05, 0x00})), ArchiveCause::kBadIndex);  // object 5 never met
  EXPECT_EQ(read_binding(Bytes({0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF})), ArchiveCause::kBadIndex);
  EXPECT_EQ(read_binding(Bytes({0xFF, 0xFF, 0x01, 0x00, 0x40, 0x00}) + std::string(64, 'C')),
            ArchiveCause::kBadClass);

  // A registered class that is not the one expected.
  Archive out;
  out.WriteClass(ShortcutBinding::kRuntimeClass);
  Archive in(out.Buffer());
  EXPECT_EQ(CauseOf([&] { in.ReadClass(&kUnrelated); }), ArchiveCause::kBadClass);

  // An object index used where a class is needed, and a class where an object is.
  Archive refs;
  Binding b;
  refs.WriteObject(&b);
  refs.WriteU16(0x0001);  // index 1 is the class, not an object
  refs.WriteU16(0x8002);  // index 2 is the object, not a class
  Archive back(refs.Buffer());
  back.ReadObject(&Binding::kRuntimeClass);
  EXPECT_EQ(CauseOf([&] { back.ReadObject(nullptr); }), ArchiveCause::kBadIndex);
  EXPECT_EQ(CauseOf([&] { back.ReadObject(nullptr); }), ArchiveCause::kBadIndex);
}

TEST(ArchiveTruncation, EveryPrefixOfAValidArchiveFailsCleanly) {
  std::vector<Binding> entries = {{std::string(300, 'n'), "Shift+A"}, {"", "Ctrl+Shift+B"}};
  Archive out;
  out << DWORD{0x00010003} << 2.25 << std::string_view("Courier New");
  out.WriteCount(entries.size());
  for (auto& e : entries) out.WriteObject(&e);
  out << WORD{12};
  const std::string full = out.Buffer();

  auto read_all = [](Archive& in) {
    DWORD version;
    double scale;
    std::string face;
    WORD size;
    in >> version >> scale >> face;
    const auto count = in.ReadCount();
    for (std::uint64_t i = 0; i < count; ++i) in.ReadObject(&Binding::kRuntimeClass);
    in >> size;
  };
  for (std::size_t length = 0; length < full.size(); ++length) {
    Archive in(full.substr(0, length));
    EXPECT_EQ(CauseOf([&] { read_all(in); }), ArchiveCause::kEndOfFile) << length;
  }
  Archive in(full);
  EXPECT_EQ(CauseOf([&] { read_all(in); }), ArchiveCause::kNone);
}

// The file modes and bounds themselves are those of file_system.h.
TEST(ArchiveFiles, StoreAndLoadThroughLogicPaths) {
  TempDir dir;
  const std::string path = dir.str() + "\\ZVEMUL.DAT";
  Archive out;
  out << WORD{0x4241};
  ASSERT_TRUE(out.StoreToFile(path, FileWriteMode::kTruncate));
  auto in = Archive::LoadFile(path);
  ASSERT_TRUE(in.has_value());
  EXPECT_EQ(in->Buffer(), "AB");
  EXPECT_FALSE(Archive::LoadFile(path, 1).has_value());
  EXPECT_FALSE(Archive::LoadFile(dir.str() + "\\missing.dat").has_value());
}

}  // namespace
}  // namespace zv::platform
