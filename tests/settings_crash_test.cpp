// Kills a process that writes settings without end (settings_writer.cpp) at random moments, 200
// times, and after each kill reads the store: it must always read, and hold exactly the values
// of some point in the writer's sequence of writes, every one of them whole.
#include "platform/platform.h"
#include "private_settings_home.h"
#include "settings_crash_values.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace
{

const int Runs = 200;
const int MaxDelayUs = 120000; // up to a generation and more of writes

// Starts the writer for one run and returns once it has its values; its pid in *writer.
bool Start_Writer(int run, pid_t *writer)
{
    int ready_pipe[2];
    if (pipe(ready_pipe) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ready_pipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, ready_pipe[0]);
    const std::string run_text = std::to_string(run);
    char *arguments[] = {const_cast<char *>(SETTINGS_WRITER), const_cast<char *>(run_text.c_str()),
                         nullptr};
    const int spawned = posix_spawn(writer, SETTINGS_WRITER, &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ready_pipe[1]);
    char ready[6] = {};
    size_t got = 0;
    while (spawned == 0 && got < sizeof(ready))
    {
        const ssize_t n = read(ready_pipe[0], ready + got, sizeof(ready) - got);
        if (n <= 0)
            break;
        got += size_t(n);
    }
    close(ready_pipe[0]);
    return spawned == 0 && std::string(ready, got) == "ready\n";
}

bool Read_Value(const std::string &name, std::string *bytes)
{
    Platform::CSettingsKey *key = nullptr;
    if (Platform::Create_Settings_Key(Platform::User_Settings_Root(), CrashValues::Location,
                                      &key) != 0)
        return false;
    char buffer[1024];
    uint32_t type = 0, size = sizeof(buffer);
    const long result = Platform::Read_Setting(key, name.c_str(), &type, buffer, &size);
    Platform::Close_Settings_Key(key);
    bytes->assign(buffer, result == 0 ? size : 0);
    return result == 0;
}

std::vector<std::string> Damaged_Files(const std::string &directory)
{
    std::vector<std::string> found;
    DIR *listing = opendir(directory.c_str());
    if (listing == nullptr)
        return found;
    while (dirent *entry = readdir(listing))
        if (std::string(entry->d_name).find("damaged") != std::string::npos)
            found.push_back(entry->d_name);
    closedir(listing);
    return found;
}

// Where a write stands in the writer's sequence: generation 1 writes text 0, number 0, text 1,
// ... Generation 0 (the value from before this run) stands before all.
long Position(int generation, int slot)
{
    return generation == 0 ? -1 : long(generation - 1) * 2 * CrashValues::Count + slot;
}

} // namespace

TEST(SettingsCrash, AKilledWriterLeavesEveryValueWholeAtOnePointOfItsSequence)
{
    std::string home = std::string(Private_Settings_Home()) + "/crash-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(&home[0]));
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    const std::string directory = home + "/quillomar";

    const int slots = 2 * CrashValues::Count; // text and number of each pair
    std::vector<std::string> previous(slots);
    for (int i = 0; i < CrashValues::Count; ++i)
    {
        previous[2 * i] = std::string(CrashValues::InitialText) + '\0';
        previous[2 * i + 1] = std::string("\0\0\0\0", 4);
    }
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> delay_us(0, MaxDelayUs);
    int kills = 0, kills_mid_write = 0, intact = 0;
    long writes_seen = 0;
    for (int run = 1; run <= Runs; ++run)
    {
        SCOPED_TRACE(::testing::Message() << "run " << run);
        pid_t writer = 0;
        ASSERT_TRUE(Start_Writer(run, &writer));
        usleep(useconds_t(delay_us(random)));
        ASSERT_EQ(0, kill(writer, SIGKILL));
        int status = 0;
        ASSERT_EQ(writer, waitpid(writer, &status, 0));
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        ++kills;
        struct stat temporary;
        if (stat((directory + "/settings.tmp").c_str(), &temporary) == 0)
            ++kills_mid_write;

        ASSERT_TRUE(Damaged_Files(directory).empty()) << "the store found its own file damaged";
        std::vector<std::string> observed(slots);
        std::vector<int> generation(slots, -1);
        for (int i = 0; i < CrashValues::Count; ++i)
        {
            ASSERT_TRUE(Read_Value(CrashValues::Text_Name(i), &observed[2 * i]));
            ASSERT_TRUE(Read_Value(CrashValues::Number_Name(i), &observed[2 * i + 1]));
            int text_run = 0, text_generation = 0, pair = 0;
            if (observed[2 * i] == previous[2 * i])
                generation[2 * i] = 0;
            else if (sscanf(observed[2 * i].c_str(), "run %d generation %d pair %d", &text_run,
                            &text_generation, &pair) == 3 &&
                     text_run == run && pair == i &&
                     observed[2 * i] == CrashValues::Text(run, text_generation, i) + '\0')
                generation[2 * i] = text_generation;
            ASSERT_LE(0, generation[2 * i]) << "text " << i << " is neither old nor new";

            const uint8_t *b = reinterpret_cast<const uint8_t *>(observed[2 * i + 1].data());
            ASSERT_EQ(4u, observed[2 * i + 1].size());
            const int number = int(b[0] | b[1] << 8 | b[2] << 16 | uint32_t(b[3]) << 24);
            if (observed[2 * i + 1] == previous[2 * i + 1])
                generation[2 * i + 1] = 0;
            else if (number / 1000000 == run && number % 1000000 > 0)
                generation[2 * i + 1] = number % 1000000;
            ASSERT_LE(0, generation[2 * i + 1]) << "number " << i << " is neither old nor new";
        }
        // The last write that reached the file; every value must be the one that write left.
        long last = -1;
        for (int slot = 0; slot < slots; ++slot)
            last = std::max(last, Position(generation[slot], slot));
        for (int slot = 0; slot < slots; ++slot)
        {
            EXPECT_LE(Position(generation[slot], slot), last);
            EXPECT_GT(Position(generation[slot] + 1, slot), last)
                << "slot " << slot << " missed a write that a later one saw";
        }
        if (!::testing::Test::HasFailure())
            ++intact;
        writes_seen += last + 1;
        previous = observed;
    }
    printf("%d runs, %d kills (%d with a temporary file left), %d intact, %ld writes survived\n",
           Runs, kills, kills_mid_write, intact, writes_seen);
    EXPECT_EQ(Runs, intact);
    ::testing::Test::RecordProperty("kills_mid_write", kills_mid_write);
    Remove_Tree(home.c_str());
    setenv("XDG_CONFIG_HOME", Private_Settings_Home(), 1);
}
