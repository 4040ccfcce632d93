// The user's days-off file: its lines override the built-in days, what cannot
// be read is kept, and a save merges per day with another writer's changes.
#include <gtest/gtest.h>
#include <stdio.h>
#include <algorithm>
#include <memory>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include "calendar/offdays.h"
#include "features/offdaysfile.h"
#include "tests/testdir.h"

namespace {

PackedDate D(int y, int m, int d) { return PACK_DATE(y, m, d); }

class OffDaysFile : public ::testing::Test {
  protected:
    std::unique_ptr<TempWorkDir> work;
    const std::string path = "offdays.txt";
    void SetUp() override
    {
        work.reset(new TempWorkDir("loomoffdays_"));
        ClearUserOffDays();
    }
    void TearDown() override
    {
        ClearUserOffDays();
        work.reset();
    }
    void Put(const std::string &bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    std::string Slurp()
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

int Collect(PackedDate date, int kind, const char *name, void *context)
{
    ((std::vector<std::string> *)context)->push_back(std::string(FormatPackedDate(date)) + OffDayMark(kind) + name);
    return 1;
}

// The file's lines override the built-in days, the later of two lines for a
// date wins, and an unreadable line is kept, written back and not used.
TEST_F(OffDaysFile, TheUsersFileOverridesAndKeepsWhatItCannotRead)
{
    EXPECT_EQ(0, LoadOffDaysFile(path.c_str())) << "a missing file is an empty one";
    EXPECT_EQ(0, UserOffDayLineCount());
    const std::string longLine = "# " + std::string(3000, 'x');
    const std::string file = "2024-02-18 休 不调休\r\n"
                             "2024-03-01 班 公司\r\n"
                             "2024-13-01 休 坏\r\n" +
                             longLine + "\r\n"
                                        "2024-03-01 休 公司\r\n";
    Put(file);
    ASSERT_EQ(0, LoadOffDaysFile(path.c_str()));
    ASSERT_EQ(5, UserOffDayLineCount());
    EXPECT_TRUE(UserOffDayLine(2)->bad);
    EXPECT_FALSE(UserOffDayLine(3)->bad);
    const char *name = "";
    EXPECT_EQ(OFFDAY_REST, OffDayOn(D(2024, 2, 18), &name));
    EXPECT_STREQ("不调休", name);
    EXPECT_EQ(OFFDAY_REST, OffDayOn(D(2024, 3, 1), &name));
    EXPECT_FALSE(IsWorkingDay(D(2024, 3, 1)));
    EXPECT_EQ(OFFDAY_REST, OffDayOn(D(2024, 2, 17), &name)) << "the built-in days around stay";

    std::vector<std::string> year;
    ForEachOffDay(2024, Collect, &year);
    EXPECT_EQ(37u, year.size()) << "36 built-in days, one of them overridden, and one more";
    EXPECT_EQ(1, std::count(year.begin(), year.end(), std::string(FormatPackedDate(D(2024, 2, 18))) + "休不调休"));
    EXPECT_TRUE(std::is_sorted(year.begin(), year.end()));

    // edits keep the other lines as they were, the unreadable one included
    ASSERT_EQ(0, SetUserOffDay(D(2024, 2, 18), OFFDAY_WORK, "春节"));
    EXPECT_EQ(2, DeleteUserOffDay(D(2024, 3, 1)));
    ASSERT_EQ(0, SaveOffDaysFile(path.c_str()));
    EXPECT_EQ(Slurp(), "2024-13-01 休 坏\r\n" + longLine + "\r\n2024-02-18 班 春节\r\n");
    ClearUserOffDays();
    EXPECT_EQ(OFFDAY_WORK, OffDayOn(D(2024, 2, 18), 0));
    EXPECT_EQ(OFFDAY_NONE, OffDayOn(D(2024, 3, 1), 0));
}

}   // namespace

// Another writer (loomcal) changed the file since the program read it: the
// program's save keeps their days and writes its own over them, per day.
TEST_F(OffDaysFile, ASaveMergesWithAnotherWritersDays)
{
    Put("# mine\r\n2031-01-02 休 a\r\n2031-01-03 休 b\r\n2031-01-04 休 c\r\n");
    ASSERT_EQ(0, LoadOffDaysFile(path.c_str()));
    // theirs: b edited, c deleted, a new day
    Put("# mine\r\n2031-01-02 休 a\r\n2031-01-03 班 b theirs\r\n2031-01-09 休 new\r\n");
    // ours: a deleted, c edited (their deletion does not undo it), a day of our own
    EXPECT_EQ(1, DeleteUserOffDay(D(2031, 1, 2)));
    ASSERT_EQ(0, SetUserOffDay(D(2031, 1, 4), OFFDAY_WORK, "c ours"));
    ASSERT_EQ(0, SetUserOffDay(D(2031, 1, 10), OFFDAY_REST, "ours"));
    ASSERT_EQ(0, SaveOffDaysFile(path.c_str()));
    EXPECT_EQ(Slurp(), "# mine\r\n2031-01-03 班 b theirs\r\n2031-01-09 休 new\r\n2031-01-04 班 c ours\r\n"
                       "2031-01-10 休 ours\r\n");
    EXPECT_EQ(OFFDAY_WORK, OffDayOn(D(2031, 1, 3), 0)) << "the program holds the merged days";
    EXPECT_EQ(OFFDAY_NONE, OffDayOn(D(2031, 1, 2), 0));

    // both change one day: the later save (the program's) wins
    Put("# mine\r\n2031-01-03 休 b again\r\n2031-01-09 休 new\r\n2031-01-04 班 c ours\r\n2031-01-10 休 ours\r\n");
    ASSERT_EQ(0, SetUserOffDay(D(2031, 1, 3), OFFDAY_REST, "b ours"));
    ASSERT_EQ(0, SaveOffDaysFile(path.c_str()));
    EXPECT_EQ(Slurp(), "# mine\r\n2031-01-09 休 new\r\n2031-01-04 班 c ours\r\n2031-01-10 休 ours\r\n"
                       "2031-01-03 休 b ours\r\n");
}
