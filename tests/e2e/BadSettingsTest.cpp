// Broken settings files, end to end: whatever the file holds, Snap starts,
// polls, lets the settings dialog be opened and cancelled without touching a
// byte of the file, performs runs and keeps taking presses.
#include "EndToEnd.h"

#include "settings/StoredText.h"

#include <algorithm>
#include <sstream>

namespace {

// The three sections of a working one-step configuration, as lines.
struct Sections {
    std::string param, action, video;

    std::string Join() const {
        return "[Param]\r\n" + param + "[Action]\r\n" + action + "[Video]\r\n" + video;
    }
};

// Step 0 posts kFirstStepMessage to the stand-in; each press is a whole run.
Sections Working(const std::string& title, const std::string& delay = "350",
                 const std::string& stepByStep = "1", const std::string& destination = "80;35") {
    Sections sections;
    sections.param = "Delay=" + delay + "\r\nStepByStep=" + stepByStep + "\r\nPutInSysTray=0\r\n" +
                     StoredTextEntry("SoftPos", "1150;900") +
                     StoredTextEntry("Base", "800;600;KelvraImagerStandIn\t" + title) +
                     StoredTextEntry("Destination", destination);
    sections.action = "BTLive=0\r\nType=3\r\nMessage=" + std::to_string(kFirstStepMessage) + "\r\n";
    sections.video = "Pilote=USB 28 Camera\r\n";
    return sections;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// Deterministic, so a failure can be reproduced.
std::string RandomBytes(size_t count, unsigned seed) {
    std::string bytes(count, '\0');
    for (char& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 16);
    }
    return bytes;
}

std::string OneMegabyte(const std::string& title) {
    std::string file = Working(title).Join() + "[Notes]\r\n";
    for (int line = 0; file.size() < 1024 * 1024; ++line)
        file += "Line" + std::to_string(line) + "=" + std::string(100, 'x') + "\r\n";
    return file;
}

std::string DuplicateKeysAndSections(const std::string& title) {
    Sections sections = Working(title);
    sections.action += "Type=9\r\nMessage=1\r\nBTLive=1\r\n";
    return sections.Join() + "[Action]\r\nType=8\r\n[Param]\r\nStepByStep=0\r\n";
}

std::string KeysWithoutEquals(const std::string& title) {
    // After the working keys: a key without "=" is a key with an empty value,
    // and the first of two equal keys is the one read.
    Sections sections = Working(title);
    sections.param = "just some words\r\n" + sections.param + "Delay\r\nStepByStep\r\n";
    sections.action = "=5\r\n" + sections.action + "Type\r\n[not a section\r\n";
    return sections.Join();
}

std::string NumbersOutOfRange(const std::string& title) {
    Sections sections = Working(title, "99999999999999999999", "4294967297");
    sections.param += "LittleIcon=-99999999999\r\nNoBeep=18446744073709551616\r\n";
    sections.action = "BTLive=-7\r\nType=3\r\nMessage=99999999999999\r\nWParam=-99999999999999\r\n"
                      "LParam=0x7fffffffffffffff\r\n";
    return sections.Join();
}

std::string TypesOutsideTheRange(const std::string& title) {
    Sections sections = Working(title);
    sections.action = "Type=-2\r\n";
    const char* types[] = {"10", "2147483647", "-2147483648", "255", "-1000", "12", "99", "65536"};
    for (int step = 1; step < 10; ++step) {
        const std::string suffix = std::to_string(step);
        sections.param += StoredTextEntry("Base" + suffix, "800;600;KelvraImagerStandIn\t" + title);
        sections.action += "Type" + suffix + "=" + types[(step - 1) % 8] + "\r\n";
    }
    return sections.Join();
}

std::string StoredTextNotBase21(const std::string& title) {
    Sections sections = Working(title);
    // The keys are found, their values are not stored text.
    const auto entry = [](std::string key, const std::string& value) {
        EncodeStoredText(key);
        return key + "=" + value + "\r\n";
    };
    sections.param = "Delay=350\r\nStepByStep=1\r\nSoftPos=1150;900\r\n" +
                     entry("Base", "zzzzzz!!@@KKKKKK") + entry("Destination", "5") +
                     entry("Base1", std::string(3001, '9')) + entry("SoftPos", "k");
    sections.action += "Type1=3\r\n";
    return sections.Join();
}

std::string ThousandsOfIndices(const std::string& title) {
    std::string path;
    for (int i = 0; i < 5000; ++i)
        path += "1;";
    Sections sections = Working(title, "350", "1", path + "80;35");
    // A second step whose indices overflow and go negative.
    sections.param += StoredTextEntry("Base1", "800;600;KelvraImagerStandIn\t" + title) +
                      StoredTextEntry("Destination1", "99999999999;-5;0;2147483648;80;35");
    sections.action += "Type1=3\r\nMessage1=" + std::to_string(kFirstStepMessage) + "\r\n";
    return sections.Join();
}

std::string Utf16(const std::string& text) {
    std::string wide = "\xFF\xFE";
    for (char c : text) {
        wide += c;
        wide += '\0';
    }
    return wide;
}

struct BrokenFile {
    const char* name;
    std::string (*make)(const std::string& imagerTitle);
    bool stepZeroArrives; // a run still posts step 0 to the stand-in
    // A timed run steps every "Delay", however long (a timer holds nothing):
    // with the largest, the run outlasts the test and a press during it
    // changes nothing.
    bool runOutlastsTheTest = false;
};

const BrokenFile kBrokenFiles[] = {
    {"RandomBytes", [](const std::string&) { return RandomBytes(8192, 1); }, false},
    {"RandomBytesAfterAWorkingFile",
     [](const std::string& t) { return Working(t).Join() + RandomBytes(8192, 2); }, true},
    {"EmptyFile", [](const std::string&) { return std::string(); }, false},
    {"OneMegabyte", OneMegabyte, true},
    {"OnlyTheVideoSection",
     [](const std::string&) { return std::string("[Video]\r\nPilote=x\r\n"); }, false},
    {"NoVideoSection",
     [](const std::string& t) {
         const Sections s = Working(t);
         return "[Param]\r\n" + s.param + "[Action]\r\n" + s.action;
     },
     true},
    {"NoSectionHeadersAtAll",
     [](const std::string& t) {
         const Sections s = Working(t);
         return s.param + s.action + s.video;
     },
     false},
    {"DuplicateKeysAndSections", DuplicateKeysAndSections, true},
    {"KeysWithoutEquals", KeysWithoutEquals, true},
    {"NumbersOutOfRange", NumbersOutOfRange, false},
    {"HugeDelay", [](const std::string& t) { return Working(t, "2147483647", "0").Join(); }, true,
     true},
    {"NegativeDelay", [](const std::string& t) { return Working(t, "-2147483648", "0").Join(); },
     true},
    {"TypesOutsideTheRange", TypesOutsideTheRange, false},
    {"StoredTextNotBase21", StoredTextNotBase21, false},
    {"ThousandsOfIndices", ThousandsOfIndices, true},
    {"CarriageReturnOnlyLineEndings",
     [](const std::string& t) { return ReplaceAll(Working(t).Join(), "\r\n", "\r"); }, false},
    {"LineFeedOnlyLineEndings",
     [](const std::string& t) { return ReplaceAll(Working(t).Join(), "\r\n", "\n"); }, true},
    {"Utf16WithByteOrderMark", [](const std::string& t) { return Utf16(Working(t).Join()); },
     false},
    {"NulBytesInValues",
     [](const std::string& t) {
         return ReplaceAll(Working(t).Join(), "Pilote=USB", std::string("Pilote=U\0SB", 11));
     },
     true},
};

void PrintTo(const BrokenFile& file, std::ostream* out) {
    *out << file.name;
}

// Where two texts part, for a readable failure on a megabyte of text.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    const auto mismatch =
        std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    const size_t at = static_cast<size_t>(mismatch.first - expected.begin());
    std::ostringstream text;
    text << "sizes " << expected.size() << " and " << actual.size() << ", first difference at byte "
         << at << ": \"" << expected.substr(at, 40) << "\" became \"" << actual.substr(at, 40)
         << "\"";
    return text.str();
}

class BadSettings : public EndToEnd, public ::testing::WithParamInterface<BrokenFile> {};

TEST_P(BadSettings, SnapStartsPollsRunsAndCancelLeavesTheFileAsItWas) {
    StartSnapWith(GetParam().make(m_title));
    ASSERT_TRUE(WaitForPolls(2)) << "Snap does not poll";
    const std::string before = ReadTextFile(m_install->SettingsPath());

    const HWND settings = OpenSettings();
    ASSERT_NE(nullptr, settings) << "the settings dialog did not open";
    ASSERT_TRUE(CancelSettings(settings)) << "the settings dialog did not close";
    const std::string after = ReadTextFile(m_install->SettingsPath());
    EXPECT_TRUE(before == after) << FirstDifference(before, after);

    Press();
    // A return to live waits "Delay" first, at most 30 s.
    ASSERT_TRUE(WaitForPolls(2, 2 * kGenerousMs)) << "polling did not resume after a run";
    EXPECT_TRUE(SnapResponds());
    if (GetParam().stepZeroArrives) {
        EXPECT_TRUE(WaitForReceived(kFirstStepMessage, 1));
        if (GetParam().runOutlastsTheTest) {
            Press();
            EXPECT_TRUE(WaitForPolls(2)) << "polling stopped during a long run";
            EXPECT_EQ(1u, Received(kFirstStepMessage)); // the press was taken and ignored
        } else {
            // The next run starts once this one has ended.
            EXPECT_TRUE(NextRunArrives(kFirstStepMessage, 2 * kGenerousMs)) << "no second run";
        }
    } else {
        Press();
        EXPECT_TRUE(WaitForPolls(2, 2 * kGenerousMs))
            << "polling did not resume after a second run";
    }
    EXPECT_TRUE(SnapResponds());
    EXPECT_TRUE(m_snap->Running());
}

INSTANTIATE_TEST_SUITE_P(Corpus, BadSettings, ::testing::ValuesIn(kBrokenFiles),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
