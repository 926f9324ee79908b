// The lock that decides which start of the program runs: one holder at a
// time, and a holder that dies, however it dies, leaves no stale lock.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/instance_lock.h"
#include "testlib/temp_dir.h"

using mw::InstanceLock;
using State = InstanceLock::State;

TEST(InstanceLock, OneHolderAtATimeAndTheNextAfterRelease) {
    mwtest::TempDir dir;
    const std::string path = dir.File("app.lock");
    InstanceLock first, second;
    ASSERT_EQ(first.TryLock(path), State::Held);
    // A second open of the file, even in the same process, is refused.
    EXPECT_EQ(second.TryLock(path), State::Busy);
    EXPECT_FALSE(second.Held());
    first.Release();
    EXPECT_EQ(second.TryLock(path), State::Held);
    // The file stays for the next holder.
    EXPECT_TRUE(std::filesystem::exists(path));
    // A moved lock is still held once.
    InstanceLock moved = std::move(second);
    EXPECT_TRUE(moved.Held());
    EXPECT_FALSE(second.Held());
    EXPECT_EQ(first.TryLock(path), State::Busy);
}

TEST(InstanceLock, AKilledHolderLetsTheLockGo) {
    mwtest::TempDir dir;
    const std::string path = dir.File("app.lock");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstanceLock held;
        const char c = held.TryLock(path) == State::Held ? 'y' : 'n';
        if (write(ready[1], &c, 1) != 1) _exit(1);
        for (;;) pause();
    }
    close(ready[1]);
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    close(ready[0]);
    ASSERT_EQ(c, 'y');
    InstanceLock mine;
    EXPECT_EQ(mine.TryLock(path), State::Busy);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(mine.TryLock(path), State::Held);
}

TEST(InstanceLock, UnusablePathsFailWithTheReason) {
    mwtest::TempDir dir;
    const struct {
        std::string path;
        int error;
    } cases[] = {
        {dir.File("missing/app.lock"), ENOENT},
        // A link in the folder is never followed to another file.
        {dir.File("link.lock"), ELOOP},
    };
    std::filesystem::create_symlink(dir.File("elsewhere"), dir.File("link.lock"));
    for (const auto& c : cases) {
        InstanceLock lock;
        EXPECT_EQ(lock.TryLock(c.path), State::Failed) << c.path;
        EXPECT_EQ(lock.Error(), c.error) << c.path;
        EXPECT_FALSE(lock.Held());
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("elsewhere")));
}
