// The single-instance lock.
#include "platform/instance_lock.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace linesaver {
namespace {

namespace fs = std::filesystem;

class InstanceLockTest : public testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/linesaver-lock-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir = tmpl;
        path = (dir / "instance.lock").string();
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
    std::string path;
};

TEST_F(InstanceLockTest, OneHolderAtATime) {
    auto first = std::make_unique<InstanceLock>(path);
    EXPECT_TRUE(first->Held());
    EXPECT_FALSE(first->HeldElsewhere());
    {
        InstanceLock second(path);
        EXPECT_FALSE(second.Held());
        EXPECT_TRUE(second.HeldElsewhere());
    }
    first.reset(); // the first copy ends
    InstanceLock third(path);
    EXPECT_TRUE(third.Held());
    EXPECT_FALSE(third.HeldElsewhere());
}

// Where no lock can be taken the saver runs anyway: nothing is held and
// nobody else is reported.
TEST_F(InstanceLockTest, NoLockRunsAnyway) {
    fs::create_symlink(dir / "elsewhere", path);
    const std::string cases[] = {"", (dir / "missing" / "instance.lock").string(), path};
    for (const std::string& p : cases) {
        InstanceLock lock(p);
        EXPECT_FALSE(lock.Held()) << p;
        EXPECT_FALSE(lock.HeldElsewhere()) << p;
    }
    EXPECT_FALSE(fs::exists(dir / "elsewhere")); // the link was not followed
}

} // namespace
} // namespace linesaver
