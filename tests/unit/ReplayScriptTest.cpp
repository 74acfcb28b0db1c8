#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tools/replay/Script.h"

namespace velkaro::replay {
namespace {

bool Parses(const std::string& line, Command* out = nullptr) {
    Command c;
    bool skip = false;
    std::string reason;
    const bool ok = ParseLine(line, c, skip, reason);
    if (out) *out = c;
    return ok;
}

TEST(ReplayScript, ArgumentsRunToTheEndOfTheLineAndMayBeEmpty) {
    Command c;
    ASSERT_TRUE(Parses("row 0 4294967295 Intel(R) Ethernet  Connection ", &c));
    EXPECT_EQ(c.op, Op::Row);
    EXPECT_EQ(c.in, 0u);
    EXPECT_EQ(c.out, 4294967295u);
    EXPECT_EQ(c.text, "Intel(R) Ethernet  Connection ");
    ASSERT_TRUE(Parses("row 1 2 ", &c));
    EXPECT_EQ(c.text, "");
    ASSERT_TRUE(Parses("row 1 2", &c));
    EXPECT_EQ(c.text, "");
    ASSERT_TRUE(Parses("answer  1,5 ", &c));
    EXPECT_EQ(c.text, " 1,5 ");
    ASSERT_TRUE(Parses("answer", &c));
    EXPECT_EQ(c.op, Op::Answer);
    EXPECT_EQ(c.text, "");
    ASSERT_TRUE(Parses("select ", &c));
    EXPECT_EQ(c.text, "");
    ASSERT_TRUE(Parses("separator  ", &c));
    EXPECT_EQ(c.text, " ");
    ASSERT_TRUE(Parses("pick -5", &c));
    EXPECT_EQ(c.y, -5);
}

TEST(ReplayScript, MalformedLinesAreRejected) {
    for (const char* bad : {"tik", " tick", "Tick", "tick now", "load x", "row", "row 1", "row  1 2 x",
                            "row -1 0 x", "row 1 +2 x", "row 1 2x", "pick", "pick 1.5",
                            "pick 2147483648", "separator", "separator ab", "today 2026-1-01",
                            "today 2026-02-29", "today 2026-13-01", "today 2026-00-10", "today 0000-01-01",
                            "today 2026-01-32", "today 2026/01/01", "readerror", "readerror 5",
                            "readerror history.txt", "readerror history.txt -5", "readerror history.txt 1234567890",
                            "autosave now", "hideidle", "hideidle On", "hideidle 1", "hideidle on ",
                            "tip x", "row 18446744073709551616 0 x", "keyrow 1 2 x", "keyrow x 1 2 a",
                            "keyrow 18446744073709551615 1 2 a", "counters 16", "counting on", "boot 2026-01-01",
                            "boot 2026-01-01 24:00:00", "time 9:00:00", "time 12:60:00", "workarea 1024",
                            "workarea 0 768", "workarea 1024 -1", "workarea 1024 768 x"}) {
        EXPECT_FALSE(Parses(bad)) << bad;
    }
    Command c;
    ASSERT_TRUE(Parses("row 18446744073709551615 4294967296 x", &c));
    EXPECT_EQ(c.in, 18446744073709551615u);
    ASSERT_TRUE(Parses("boot 2026-03-01 08:00:05", &c));
    EXPECT_EQ(c.seconds, 1772352005);
    ASSERT_TRUE(Parses("time 23:59:58", &c));
    EXPECT_EQ(c.y, 86398);
    ASSERT_TRUE(Parses("workarea 1024 738", &c));
    EXPECT_EQ(std::make_pair(c.y, c.height), std::make_pair(1024, 738));
    ASSERT_TRUE(Parses("today 2028-02-29", &c));
    EXPECT_EQ(c.date, (Date{2028, 2, 29}));
    EXPECT_TRUE(Parses("tick "));  // an empty argument is no argument
}

TEST(ReplayScript, LinesEndWithLfOrCrLfAndCommentsAndEmptyLinesCount) {
    std::vector<Command> cmds;
    ParseError err;
    ASSERT_TRUE(ParseScript("# c\r\n\r\nrow 1 2 a b\r\n\nselect x\r\ntick", cmds, err));
    ASSERT_EQ(cmds.size(), 3u);
    EXPECT_EQ(cmds[0].text, "a b");
    EXPECT_EQ(cmds[0].line, 3u);
    EXPECT_EQ(cmds[1].text, "x");
    EXPECT_EQ(cmds[1].line, 5u);
    EXPECT_EQ(cmds[2].op, Op::Tick);
    EXPECT_EQ(cmds[2].line, 6u);

    // A CR not followed by LF belongs to the line.
    cmds.clear();
    ASSERT_TRUE(ParseScript("select x\r", cmds, err));
    EXPECT_EQ(cmds[0].text, "x\r");

    cmds.clear();
    EXPECT_FALSE(ParseScript("load\n# fine\n\nsave\nsav\ntick\n", cmds, err));
    EXPECT_EQ(err.line, 5u);
}

}  // namespace
}  // namespace velkaro::replay
