// Byte buffer, strings, pointer containers and text helpers.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <cwchar>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Tavo_Common.h"

namespace {

std::string Content(CBaseBuffer& b) {
    return b.GetBuffer() ? std::string(reinterpret_cast<char*>(b.GetBuffer()), static_cast<size_t>(b.GetAvailSize()))
                         : std::string();
}

TEST(BaseBuffer, SetBufferFromInsideItsOwnStorageKeepsTheTail) {
    CBaseBuffer b;
    ASSERT_TRUE(b.AppendBuffer("0123456789", 10));
    // The receive loop drops a consumed frame by handing back the rest.
    ASSERT_TRUE(b.SetBuffer(b.GetBuffer() + 3, 7));
    EXPECT_EQ("3456789", Content(b));
    ASSERT_TRUE(b.AppendBuffer("ab", 2));
    EXPECT_EQ("3456789ab", Content(b));
    // Naming bytes past the content is refused and changes nothing.
    EXPECT_FALSE(b.SetBuffer(b.GetBuffer() + 5, 10));
    EXPECT_EQ("3456789ab", Content(b));
    ASSERT_TRUE(b.SetBuffer(b.GetBuffer() + 9, 0));
    EXPECT_EQ(0, b.GetAvailSize());
    EXPECT_EQ(nullptr, b.GetBuffer());
}

TEST(BaseBuffer, AppendingItsOwnContentSurvivesGrowth) {
    CBaseBuffer b;
    ASSERT_TRUE(b.AppendBuffer("xy", 2));
    for (int i = 0; i < 12; ++i)  // each round doubles: storage moves many times
        ASSERT_TRUE(b.AppendBuffer(b.GetBuffer(), b.GetAvailSize()));
    ASSERT_EQ(2 << 12, b.GetAvailSize());
    const std::string all = Content(b);
    for (size_t i = 0; i < all.size(); ++i) ASSERT_EQ(i % 2 ? 'y' : 'x', all[i]) << i;
}

TEST(BaseBuffer, BadSizesAreRefusedAndLeaveTheContent) {
    CBaseBuffer b;
    ASSERT_TRUE(b.SetBuffer("abc", 3));
    EXPECT_FALSE(b.AppendBuffer("d", -1));
    EXPECT_FALSE(b.SetBuffer("d", -5));
    EXPECT_FALSE(b.AppendBuffer(nullptr, 4));
    EXPECT_FALSE(b.AppendBuffer("d", 0x7FFFFFFF));
    EXPECT_EQ("abc", Content(b));
    EXPECT_TRUE(b.AppendBuffer(nullptr, 0));
    b.Delete();
    EXPECT_EQ(0, b.GetAvailSize());
    EXPECT_TRUE(b.AppendBuffer("z", 1));
    EXPECT_EQ("z", Content(b));
}

// Takes the lock `depth` times, nested, on a thread of its own and lets it go
// again; true when that thread got through within the time-out. A thread that
// blocks keeps the lock alive (it shares it) and is left behind, so a lock
// that fails here fails the test at once instead of hanging the program.
bool NestedTakeFinishes(const std::shared_ptr<CBaseLock>& lock, int depth) {
    auto finished = std::make_shared<std::promise<void>>();
    std::future<void> done = finished->get_future();
    std::thread taker([lock, finished, depth] {
        std::vector<std::unique_ptr<CAutoBaseLock>> held;
        for (int i = 0; i < depth; ++i)
            held.emplace_back(i % 2 ? new CAutoBaseLock(lock.get()) : new CAutoBaseLock(*lock));
        CAutoBaseLock none(static_cast<CBaseLock*>(nullptr));  // no lock: nothing to take
        held.clear();                                          // released innermost first
        finished->set_value();
    });
    if (done.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        taker.detach();
        return false;
    }
    taker.join();
    return true;
}

TEST(BaseLock, IsRecursiveAndReleasedAsOftenAsTaken) {
    auto lock = std::make_shared<CBaseLock>();
    ASSERT_TRUE(NestedTakeFinishes(lock, 3)) << "a thread holding the lock could not take it again";
    // Another thread now gets it: every nested take was given back.
    EXPECT_TRUE(NestedTakeFinishes(lock, 1)) << "the lock stayed held after its owner let go";
}

TEST(BaseStringA, CopiesAndNeverReturnsNull) {
    CBaseStringA s;
    EXPECT_STREQ("", s.GetString());
    ASSERT_TRUE(s.Set("hello world", -1));
    EXPECT_EQ(11, s.GetLength());
    ASSERT_TRUE(s.Set(s.GetString() + 6, -1));  // from its own text
    EXPECT_STREQ("world", s.GetString());
    ASSERT_TRUE(s.Set("abcdef", 3));
    EXPECT_STREQ("abc", s.GetString());
    CBaseStringA copy(s);
    s = s;
    EXPECT_STREQ("abc", copy.GetString());
    EXPECT_FALSE(s.Set("x", -7));
    EXPECT_STREQ("abc", s.GetString());
    ASSERT_TRUE(s.Set(nullptr, -1));
    EXPECT_STREQ("", s.GetString());
    EXPECT_TRUE(s.IsEmpty());
}

// Both containers promise the same operations.
template <typename T>
class PtrContainer : public ::testing::Test {};
using ContainerTypes = ::testing::Types<CPtrArrayCtrl, CPtrListCtrl>;
TYPED_TEST_SUITE(PtrContainer, ContainerTypes);

TYPED_TEST(PtrContainer, InsertsAppendsAndRemovesInOrder) {
    int v[6];
    TypeParam c;
    EXPECT_EQ(0, c.AddData(&v[0], -1));
    EXPECT_EQ(1, c.AddData(&v[2], -1));
    EXPECT_EQ(1, c.AddData(&v[1], 1));   // before index 1
    EXPECT_EQ(3, c.AddData(&v[3], 99));  // past the end: appended
    EXPECT_EQ(0, c.AddData(&v[4], 0));   // at the front
    ASSERT_EQ(5, c.GetCount());
    const void* expected[] = {&v[4], &v[0], &v[1], &v[2], &v[3]};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(expected[i], c.GetAt(i)) << i;
    EXPECT_EQ(nullptr, c.GetAt(5));
    EXPECT_EQ(nullptr, c.GetAt(-1));

    EXPECT_EQ(1, c.RemoveAt(0, 1));
    EXPECT_EQ(2, c.RemoveAt(2, 10));  // only two are left from index 2
    EXPECT_EQ(0, c.RemoveAt(5, 1));
    ASSERT_EQ(2, c.GetCount());
    EXPECT_EQ(&v[0], c.GetAt(0));
    EXPECT_EQ(&v[1], c.GetAt(1));
    EXPECT_EQ(2, c.AddData(&v[5], -1));  // the tail is still linked after removals
    EXPECT_EQ(&v[5], c.GetAt(2));
    c.RemoveAll();
    EXPECT_EQ(0, c.GetCount());
    EXPECT_EQ(0, c.AddData(&v[0], -1));
}

int32_t ToInt32(const char* text, int length, int32_t start = 77, int* ok = nullptr) {
    int32_t value = start;
    const int r = DigtalStringToValue(text, length, &value, TAVO_VALUE_INT32);
    if (ok) *ok = r;
    return value;
}

TEST(DigtalStringToValue, ConvertsDecimalIntegersWithinRange) {
    EXPECT_EQ(256000, ToInt32(" 256000 ", 8));
    EXPECT_EQ(-2147483647 - 1, ToInt32("-2147483648", 11));
    EXPECT_EQ(2147483647, ToInt32("+2147483647", 11));
    int ok = 1;
    EXPECT_EQ(77, ToInt32("2147483648", 10, 77, &ok));
    EXPECT_EQ(0, ok);
    for (const char* bad : {"12abc", "abc", "1.5", "0x10", "--1", " ", "1 2", "-"})
        EXPECT_EQ(77, ToInt32(bad, static_cast<int>(std::strlen(bad)))) << bad;
    EXPECT_EQ(77, ToInt32("", 0));
    EXPECT_EQ(77, ToInt32("5", -1));

    uint8_t small = 9;
    EXPECT_FALSE(DigtalStringToValue("256", 3, &small, TAVO_VALUE_UINT8));
    EXPECT_FALSE(DigtalStringToValue("-1", 2, &small, TAVO_VALUE_UINT8));
    EXPECT_TRUE(DigtalStringToValue("255", 3, &small, TAVO_VALUE_UINT8));
    EXPECT_EQ(255, small);
    EXPECT_FALSE(DigtalStringToValue("1", 1, &small, 42));
    EXPECT_FALSE(DigtalStringToValue("1", 1, nullptr, TAVO_VALUE_INT32));
}

TEST(DigtalStringToValue, ReadsOnlyLengthBytes) {
    // No terminating NUL: the sanitizers catch any read past the array.
    const char digits[3] = {'1', '2', '3'};
    EXPECT_EQ(123, ToInt32(digits, 3));
    EXPECT_EQ(12, ToInt32("12345", 2));
    EXPECT_EQ(12, ToInt32("12\0"
                          "99",
                          5));
}

TEST(DigtalStringToValue, ConvertsFloatsAndRefusesNonNumbers) {
    float f = 7.0f;
    ASSERT_TRUE(DigtalStringToValue("  -0.25\r\n", 9, &f, TAVO_VALUE_FLOAT));
    EXPECT_EQ(-0.25f, f);
    ASSERT_TRUE(DigtalStringToValue("3", 1, &f, TAVO_VALUE_FLOAT));
    EXPECT_EQ(3.0f, f);
    ASSERT_TRUE(DigtalStringToValue("1.5e2", 5, &f, TAVO_VALUE_FLOAT));
    EXPECT_EQ(150.0f, f);
    for (const char* bad : {"1e39", "nan", "inf", "1.2.3", "0x1p3", "1e", "."}) {
        f = 7.0f;
        EXPECT_FALSE(DigtalStringToValue(bad, static_cast<int>(std::strlen(bad)), &f, TAVO_VALUE_FLOAT)) << bad;
        EXPECT_EQ(7.0f, f) << bad;
    }
    double d = 0;
    ASSERT_TRUE(DigtalStringToValue("1e39", 4, &d, TAVO_VALUE_DOUBLE));
    EXPECT_EQ(1e39, d);
}

std::vector<std::wstring> Pieces(const CPtrArrayCtrl& a, int from = 0) {
    std::vector<std::wstring> out;
    for (int i = from; i < a.GetCount(); ++i) out.emplace_back(static_cast<const wchar_t*>(a.GetAt(i)));
    return out;
}

TEST(DevideStringByCharListW, SplitsAtEverySeparatorKeepingEmptyPieces) {
    CPtrArrayCtrl pieces;
    int before = 0;
    pieces.AddData(&before, -1);  // earlier entries stay in front
    void* block = DevideStringByCharListW(L"a\nbb\n\nc\n", -1, L"\n", 1, 0, &pieces, -1);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(&before, pieces.GetAt(0));
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"bb", L"", L"c", L""}), Pieces(pieces, 1));
    Internal_DelArrayW(block);

    CPtrArrayCtrl limited;
    block = DevideStringByCharListW(L"k=v;x,y", -1, L";,=", 3, 0, &limited, 2);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ((std::vector<std::wstring>{L"k", L"v;x,y"}), Pieces(limited));
    Internal_DelArrayW(block);

    CPtrArrayCtrl bounded;  // only length characters are looked at
    block = DevideStringByCharListW(L"ab,cd,ef", 4, L",", 1, 0, &bounded, -1);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ((std::vector<std::wstring>{L"ab", L"c"}), Pieces(bounded));
    Internal_DelArrayW(block);

    CPtrArrayCtrl none;
    EXPECT_EQ(nullptr, DevideStringByCharListW(L"", -1, L"\n", 1, 0, &none, -1));
    EXPECT_EQ(nullptr, DevideStringByCharListW(L"a", -1, L"\n", 1, 0, nullptr, -1));
    EXPECT_EQ(0, none.GetCount());
}

TEST(PathText, ExtensionWithoutDot) {
    char a[TAVO_MAX_PATH] = "junk";
    EXPECT_TRUE(GetFileExtNameA("pic.tar.PNG", a, TAVO_MAX_PATH));
    EXPECT_STREQ("PNG", a);
    EXPECT_TRUE(GetFileExtNameA("C:\\my.dir\\file", a, TAVO_MAX_PATH));
    EXPECT_STREQ("", a);
    EXPECT_FALSE(GetFileExtNameA("x.jpeg", a, 4));  // does not fit
    wchar_t w[TAVO_MAX_PATH];
    EXPECT_TRUE(GetFileExtNameW(L"Temp_1.jpg", w, TAVO_MAX_PATH));
    EXPECT_STREQ(L"jpg", w);
    EXPECT_FALSE(GetFileExtNameW(nullptr, w, TAVO_MAX_PATH));
}

TEST(PathText, CombineJoinsWithOneSeparatorEvenInPlace) {
    char out[TAVO_MAX_PATH];
    ASSERT_TRUE(CombinePathNameA(out, "C:\\Tool\\", "\\Log"));
    EXPECT_STREQ("C:\\Tool\\Log", out);
    char name[TAVO_MAX_PATH] = "appConfig.xml";
    ASSERT_TRUE(CombinePathNameA(name, "C:\\Tool", name));  // out is name
    EXPECT_STREQ("C:\\Tool\\appConfig.xml", name);
    ASSERT_TRUE(CombinePathNameA(out, "C:\\Tool", "\\\\host\\share\\abs.txt"));
    EXPECT_STREQ("\\\\host\\share\\abs.txt", out);
    ASSERT_TRUE(CombinePathNameA(out, "C:\\Tool", "D:\\abs.txt"));
    EXPECT_STREQ("D:\\abs.txt", out);
    ASSERT_TRUE(CombinePathNameA(out, "C:\\", "a"));
    EXPECT_STREQ("C:\\a", out);
    const std::string longName(300, 'n');
    EXPECT_FALSE(CombinePathNameA(out, "C:\\Tool", longName.c_str()));
    EXPECT_FALSE(CombinePathNameA(nullptr, "a", "b"));
}

TEST(PathText, CombineWideJoinsTheSameWayAndKeepsEveryCharacter) {
    wchar_t out[TAVO_MAX_PATH];
    ASSERT_TRUE(CombinePathNameW(out, L"C:\\雷达工具\\", L"\\Log"));
    EXPECT_STREQ(L"C:\\雷达工具\\Log", out);
    wchar_t name[TAVO_MAX_PATH] = L"appConfig.xml";
    ASSERT_TRUE(CombinePathNameW(name, L"C:\\雷达工具", name));  // out is name
    EXPECT_STREQ(L"C:\\雷达工具\\appConfig.xml", name);
    wchar_t folder[TAVO_MAX_PATH] = L"D:\\数据";
    ASSERT_TRUE(CombinePathNameW(folder, folder, L"Image\\HumanNobody.png"));  // out is folder
    EXPECT_STREQ(L"D:\\数据\\Image\\HumanNobody.png", folder);
    ASSERT_TRUE(CombinePathNameW(out, L"C:\\Tool", L"\\\\host\\share\\abs.txt"));
    EXPECT_STREQ(L"\\\\host\\share\\abs.txt", out);
    ASSERT_TRUE(CombinePathNameW(out, L"C:\\Tool", L"D:\\abs.txt"));
    EXPECT_STREQ(L"D:\\abs.txt", out);
    ASSERT_TRUE(CombinePathNameW(out, L"C:\\", L"a"));
    EXPECT_STREQ(L"C:\\a", out);
    ASSERT_TRUE(CombinePathNameW(out, nullptr, L"a"));
    EXPECT_STREQ(L"a", out);
    // 259 characters fit, 260 do not (the terminator needs the last one).
    const std::wstring folder250(250, L'界');
    EXPECT_TRUE(CombinePathNameW(out, folder250.c_str(), L"12345678"));
    EXPECT_EQ(259u, std::wcslen(out));
    EXPECT_FALSE(CombinePathNameW(out, folder250.c_str(), L"123456789"));
    EXPECT_STREQ(L"", out);
    EXPECT_FALSE(CombinePathNameW(nullptr, L"a", L"b"));
}

}  // namespace
