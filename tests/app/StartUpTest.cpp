// The start-up course against a recording stand-in for the platform, and the path rules.
#include "app/StartUp.h"

#include <gtest/gtest.h>

#include "tests/TestText.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace hx::app {
namespace {

std::vector<std::u16string> Args(std::initializer_list<const char16_t*> list) {
    return std::vector<std::u16string>(list.begin(), list.end());
}

// Records every platform call in order, as one readable line each.
class RecordingSystem : public StartUpSystem {
public:
    bool windowOpen = false;
    bool folderExists = false;
    std::u16string temp = u"C:\\Temp\\";
    std::u16string self = u"C:\\Program Files\\Hexaplane\\HexaplaneUpdate.exe";
    std::vector<std::string> calls;

    bool FindAndActivateWindow(std::u16string_view className, bool restore) override {
        calls.push_back("find " + test::Narrow(className) + (restore ? " restore" : ""));
        return windowOpen;
    }
    std::u16string GetTempFolder() override { return temp; }
    std::u16string ExecutablePath() override { return self; }
    void CreateFolder(std::u16string_view f) override {
        calls.push_back("mkdir " + test::Narrow(f));
    }
    bool FolderExists(std::u16string_view f) override {
        calls.push_back("exists " + test::Narrow(f));
        return folderExists;
    }
    // Attributes of the files that exist; a copy fails from an unreadable file and, as the
    // system's does, onto a read-only (1) or hidden (2) one.
    static constexpr std::uint32_t kUnreadable = 0xFFFF;
    std::map<std::string, std::uint32_t> files;
    bool CopyFileOver(std::u16string_view from, std::u16string_view to) override {
        const bool copied =
            files[test::Narrow(from)] != kUnreadable && !(files[test::Narrow(to)] & 3);
        calls.push_back("copy " + test::Narrow(from) + " > " + test::Narrow(to) +
                        (copied ? "" : " refused"));
        return copied;
    }
    std::optional<std::uint32_t> FileAttributes(std::u16string_view f) override {
        const auto file = files.find(test::Narrow(f));
        return file == files.end() ? std::nullopt : std::optional(file->second);
    }
    bool ChangeAttributes(std::u16string_view f, std::uint32_t attributes) override {
        calls.push_back("attributes " + test::Narrow(f) + " " + std::to_string(attributes));
        files[test::Narrow(f)] = attributes;
        return true;
    }
    void OpenWithParameters(std::u16string_view file, std::u16string_view parameters) override {
        calls.push_back("open " + test::Narrow(file) + " " + test::Narrow(parameters));
    }
    void RunInPlace() override { calls.push_back("run"); }
};

using Calls = std::vector<std::string>;

TEST(StartUpCourse, AnOpenUpdateWindowIsBroughtBackAndNothingElseHappens) {
    for (auto args : {Args({}), Args({u"/update"}), Args({u"/UPDATE", u"x"})}) {
        RecordingSystem system;
        system.windowOpen = true;
        EXPECT_EQ(RunStartUp(args, system), Course::ActivatedExisting);
        EXPECT_EQ(system.calls, Calls{"find THXUpdateForm restore"});
    }
}

TEST(StartUpCourse, TheSwitchInAnyLetterCaseRunsInPlace) {
    for (auto arg : {u"/update", u"/UPDATE", u"/UpDaTe"}) {
        RecordingSystem system;
        EXPECT_EQ(RunStartUp(Args({arg, u"ignored"}), system), Course::RanInPlace);
        EXPECT_EQ(system.calls, (Calls{"find THXUpdateForm restore", "run"}));
    }
}

TEST(StartUpCourse, APlainStartCopiesBothFilesAndOpensTheCopy) {
    RecordingSystem system;
    EXPECT_EQ(RunStartUp({}, system), Course::Relaunched);
    const std::string target = "C:\\Temp\\KORVEX\\Hexaplane\\";
    EXPECT_EQ(
        system.calls,
        (Calls{"find THXUpdateForm restore", "exists " + target, "mkdir C:\\Temp",
               "mkdir C:\\Temp\\KORVEX", "mkdir C:\\Temp\\KORVEX\\Hexaplane",
               "copy C:\\Program Files\\Hexaplane\\HexaplaneUpdate.exe > " + target +
                   "HexaplaneUpdate.exe",
               "copy C:\\Program Files\\Hexaplane\\Hexaplane.chm > " + target + "Hexaplane.chm",
               "open " + target + "HexaplaneUpdate.exe /update"}));
}

TEST(StartUpCourse, AnExistingRelaunchFolderIsNotCreatedAgain) {
    RecordingSystem system;
    system.folderExists = true;
    system.self = u"D:\\x\\Renamed.EXE";
    EXPECT_EQ(RunStartUp({}, system), Course::Relaunched);
    const std::string target = "C:\\Temp\\KORVEX\\Hexaplane\\";
    EXPECT_EQ(system.calls, (Calls{"find THXUpdateForm restore", "exists " + target,
                                   "copy D:\\x\\Renamed.EXE > " + target + "Renamed.EXE",
                                   "copy D:\\x\\Hexaplane.chm > " + target + "Hexaplane.chm",
                                   "open " + target + "Renamed.EXE /update"}));
}

// Copies that are read-only (1) or hidden (2) are replaced all the same, their other
// attributes kept; a copy that fails leaves the old file as it was.
TEST(StartUpCourse, ReadOnlyOrHiddenCopiesAreReplaced) {
    RecordingSystem system;
    system.folderExists = true;
    const std::string from = "C:\\Program Files\\Hexaplane\\";
    const std::string to = "C:\\Temp\\KORVEX\\Hexaplane\\";
    system.files = {{to + "HexaplaneUpdate.exe", 0x21},
                    {to + "Hexaplane.chm", 0x2},
                    {from + "Hexaplane.chm", RecordingSystem::kUnreadable}};
    EXPECT_EQ(RunStartUp({}, system), Course::Relaunched);
    EXPECT_EQ(system.calls,
              (Calls{"find THXUpdateForm restore", "exists " + to,
                     "attributes " + to + "HexaplaneUpdate.exe 32",
                     "copy " + from + "HexaplaneUpdate.exe > " + to + "HexaplaneUpdate.exe",
                     "attributes " + to + "Hexaplane.chm 128",
                     "copy " + from + "Hexaplane.chm > " + to + "Hexaplane.chm refused",
                     "attributes " + to + "Hexaplane.chm 2",
                     "open " + to + "HexaplaneUpdate.exe /update"}));
}

TEST(StartUpCourse, AnythingButTheSwitchFirstRelaunches) {
    for (auto args : {Args({u"/updates"}), Args({u"update"}), Args({u" /update"}), Args({u""}),
                      Args({u"x", u"/update"})}) {
        RecordingSystem system;
        system.folderExists = true;
        EXPECT_EQ(RunStartUp(args, system), Course::Relaunched) << test::Narrow(args[0]);
    }
}

TEST(StartUpCourse, WithoutTemporaryFolderOrOwnPathNothingIsCopiedOrStarted) {
    RecordingSystem noTemp;
    noTemp.temp.clear();
    EXPECT_EQ(RunStartUp({}, noTemp), Course::NoRelaunch);
    EXPECT_EQ(noTemp.calls, Calls{"find THXUpdateForm restore"});

    RecordingSystem noSelf;
    noSelf.self.clear();
    EXPECT_EQ(RunStartUp({}, noSelf), Course::NoRelaunch);
    EXPECT_EQ(noSelf.calls, Calls{"find THXUpdateForm restore"});
}

// No copy is made that the shell could not start: the copy's path, in the plain form the
// shell takes, must fit in 259 characters.
TEST(StartUpCourse, NoCopyWhereTheShellCouldNotStartIt) {
    for (const std::size_t length : {259, 260}) { // "C:\" + folder + "\" + 36 characters
        RecordingSystem system;
        system.temp = u"\\\\?\\C:\\" + std::u16string(length - 40, u't') + u"\\";
        system.folderExists = true;
        const Course course = RunStartUp({}, system);
        if (length == 259) {
            EXPECT_EQ(system.calls.back(), "open C:\\" + std::string(length - 40, 't') +
                                               "\\KORVEX\\Hexaplane\\HexaplaneUpdate.exe /update");
        } else {
            EXPECT_EQ(course, Course::NoRelaunch);
            EXPECT_EQ(system.calls, Calls{"find THXUpdateForm restore"}) << "nothing half way";
        }
    }
}

TEST(StartUpPaths, RelaunchFolderAndSeparators) {
    EXPECT_EQ(RelaunchFolder(u"C:\\T\\"), u"C:\\T\\KORVEX\\Hexaplane\\");
    EXPECT_EQ(RelaunchFolder(u"C:\\T"), u"C:\\T\\KORVEX\\Hexaplane\\");
    EXPECT_EQ(RelaunchFolder(u""), u"");
    const std::u16string deep = u"C:\\" + std::u16string(300, u'd') + u"\\";
    EXPECT_EQ(RelaunchFolder(deep), deep + u"KORVEX\\Hexaplane\\") << "no length limit";
}

TEST(StartUpPaths, FoldersToCreateSkipRoots) {
    using List = std::vector<std::u16string>;
    EXPECT_EQ(FoldersToCreate(u"C:\\a\\b\\"), (List{u"C:\\a", u"C:\\a\\b"}));
    EXPECT_EQ(FoldersToCreate(u"C:\\a\\\\b"), (List{u"C:\\a", u"C:\\a\\\\b"}));
    EXPECT_EQ(FoldersToCreate(u"\\\\server\\share\\a\\"), (List{u"\\\\server\\share\\a"}));
    EXPECT_EQ(FoldersToCreate(u"\\\\?\\C:\\a\\b"), (List{u"\\\\?\\C:\\a", u"\\\\?\\C:\\a\\b"}));
    EXPECT_EQ(FoldersToCreate(u"\\\\?\\unc\\srv\\sh\\a"), (List{u"\\\\?\\unc\\srv\\sh\\a"}));
    EXPECT_EQ(FoldersToCreate(u"\\a\\b"), (List{u"\\a", u"\\a\\b"}));
    EXPECT_EQ(FoldersToCreate(u"C:\\"), List{});
    EXPECT_EQ(FoldersToCreate(u""), List{});
}

TEST(AdministratorRefusal, CaptionAndTwoTextsUnderTheWindowName) {
    const auto lookup = [](std::u16string_view window, std::u16string_view key) {
        return window == u"HXUpdateForm" ? u"<" + std::u16string(key) + u">" : std::u16string();
    };
    const RefusalMessage m = AdministratorRefusal(u"HXUpdateForm", lookup);
    EXPECT_EQ(m.caption, u"<HXUpdateForm>");
    EXPECT_EQ(m.text, u"<MessageBoxAdmin1>\r\n\r\n<MessageBoxAdmin2>");
    const RefusalMessage empty = AdministratorRefusal(u"Other", lookup);
    EXPECT_EQ(empty.caption, u"");
    EXPECT_EQ(empty.text, u"\r\n\r\n") << "without texts the box shows the line breaks alone";
}

struct Group {
    std::string sid;
    unsigned attributes;
};

TEST(GroupScan, FirstEqualGroupWinsWhateverItsAttributes) {
    const auto sameSid = [](const Group& g, const std::string& sid) { return g.sid == sid; };
    const std::vector<Group> none;
    EXPECT_FALSE(FindGroup(std::span<const Group>(none), std::string("S-1-5-32-544"), sameSid));

    const std::vector<Group> groups = {{"S-1-1-0", 7},
                                       {"S-1-5-32-545", 7},
                                       {"S-1-5-21-1-2-3-544", 7},
                                       {"S-1-5-32-544", 0x10}, // deny-only, not enabled
                                       {"S-1-5-32-544", 7}};
    EXPECT_EQ(FindGroup(std::span<const Group>(groups), std::string("S-1-5-32-544"), sameSid),
              std::optional<std::size_t>(3));
    EXPECT_FALSE(FindGroup(std::span<const Group>(groups), std::string("S-1-5-32-5"), sameSid));
}

} // namespace
} // namespace hx::app
