// Writers in a shared folder: a link planted at any name the program writes
// never carries its bytes outside the folder, and runs into one folder at
// the same time take turns instead of mixing their files.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/directory_files.h"
#include "app/directory_lock.h"
#include "app/exit_status.h"
#include "app/file_system.h"
#include "model/file_names.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::run_child;
using testing::run_command;
using testing::TempDir;
using testing::write_file;

constexpr const char* kRoute = "ORSEA_MONTELBA";
constexpr const char* kTrain = "RX17";

// Every name a run writes into its folder: the five documents and the three
// compiled files.
std::vector<std::string> written_names() {
  return {line_description_name(kRoute),       service_description_name(kRoute, kTrain), notes_name(kRoute, kTrain),
          slowdown_order_name(kRoute, kTrain), timetable_card_name(kRoute, kTrain),      profile_file_name(kRoute),
          header_file_name(kRoute, kTrain),    track_file_name(kRoute, kTrain)};
}

// Regular files of a folder by name, the program and links left out.
std::map<std::string, std::string> regular_files(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (name != "scenario-builder" && e.is_regular_file() && !e.is_symlink()) files[name] = read_file(e.path());
  }
  return files;
}

class SharedFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    reference = dir.path() / "reference";
    fs::create_directories(reference);
    fs::copy_file(SB_PROGRAM, reference / "scenario-builder");
    ASSERT_EQ(run_child({(reference / "scenario-builder").string()}).exit_status, kExitOk);
    expected = regular_files(reference);
    ASSERT_EQ(expected.size(), 6u);
  }

  fs::path program_in(const std::string& name) {
    const fs::path folder = dir.path() / name;
    fs::create_directories(folder);
    fs::copy_file(SB_PROGRAM, folder / "scenario-builder");
    return folder;
  }

  TempDir dir;
  fs::path reference;
  std::map<std::string, std::string> expected;
};

TEST_F(SharedFolder, LinksPlantedAtAnyWrittenNameNeverReachOutsideTheFolder) {
  const fs::path outside = dir.path() / "outside";
  fs::create_directories(outside);
  const std::string victim_bytes = "a file the run must never touch\n";
  std::vector<std::string> names = written_names();
  names.push_back(kLockFileName);
  // Temporary names as earlier versions made them, beside each final name.
  for (const std::string& n : written_names()) names.push_back(n + ".~sb");

  int case_number = 0;
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const fs::path victim = outside / ("victim" + std::to_string(case_number));
    write_file(victim, victim_bytes);
    const fs::path folder = program_in("case" + std::to_string(case_number++));
    fs::create_symlink(victim, folder / name);

    const auto run = run_child({(folder / "scenario-builder").string()});

    EXPECT_EQ(read_file(victim), victim_bytes);
    EXPECT_TRUE(run.exit_status == kExitOk || run.exit_status == kExitFailure) << run.err;
    if (run.exit_status == kExitOk) {
      EXPECT_EQ(regular_files(folder), expected);
    } else {
      EXPECT_NE(run.err.find(name), std::string::npos) << run.err;
      EXPECT_EQ(fs::read_symlink(folder / name), victim) << "the planted link was replaced";
    }
    for (const auto& e : fs::directory_iterator(folder)) {
      const std::string left = e.path().filename().string();
      if (left != name) {
        EXPECT_EQ(left.find(".~sb"), std::string::npos) << left << " left behind";
      }
    }
  }
}

TEST_F(SharedFolder, ALinkOrADirectoryWhereACompiledFileGoesIsRefusedWithItsPath) {
  const fs::path outside = dir.path() / "outside.sim";
  write_file(outside, "keep");
  const fs::path exported = dir.path() / "exported";
  fs::create_directories(exported);
  ASSERT_EQ(run_child({SB_PROGRAM, "export", exported.string()}).exit_status, kExitOk);
  const std::string line = (exported / line_description_name(kRoute)).string();
  const std::string service = (exported / service_description_name(kRoute, kTrain)).string();

  const fs::path out = dir.path() / "out";
  fs::create_directories(out / track_file_name(kRoute, kTrain));
  fs::create_symlink(outside, out / header_file_name(kRoute, kTrain));
  const auto run = run_child({SB_PROGRAM, "compile", line, service, "-o", out.string()});

  EXPECT_EQ(run.exit_status, kExitFailure);
  EXPECT_NE(run.err.find(header_file_name(kRoute, kTrain)), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("symbolic link"), std::string::npos) << run.err;
  EXPECT_EQ(read_file(outside), "keep");
  EXPECT_TRUE(fs::is_symlink(out / header_file_name(kRoute, kTrain)));
}

TEST(TemporaryFiles, CreatingOneNeverOpensWhatStandsAtItsName) {
  TempDir dir;
  const fs::path target = dir.path() / "target";
  write_file(target, "old");
  fs::create_symlink(target, dir.path() / "link");
  fs::create_symlink(dir.path() / "nowhere", dir.path() / "dangling");
  for (const char* name : {"target", "link", "dangling"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(create_new_file((dir.path() / name).string()), nullptr);
    EXPECT_EQ(errno, EEXIST);
  }
  EXPECT_EQ(read_file(target), "old");
  EXPECT_FALSE(fs::exists(dir.path() / "nowhere"));
}

// Putting a written file in place: whatever stood at the name (a file, a
// link, nothing) gives way to the new file itself, and nothing is left at the
// temporary name; a directory there is refused and both stay as they were.
TEST(TemporaryFiles, RenamingOneOverItsNameLeavesOnlyTheNewFile) {
  struct Case {
    const char* what;
    bool replaced;
  };
  for (const Case c : {Case{"file", true}, Case{"missing", true}, Case{"link", true}, Case{"directory", false}}) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const fs::path outside = dir.path() / "outside";
    const fs::path folder = dir.path() / "folder";
    fs::create_directories(folder);
    write_file(outside, "keep");
    const fs::path final_name = folder / "ROUTE.bin";
    const std::string what = c.what;
    if (what == "file") write_file(final_name, "old");
    if (what == "link") fs::create_symlink(outside, final_name);
    if (what == "directory") fs::create_directories(final_name / "inside");
    const fs::path temporary = folder / "ROUTE.bin.~sb1-1";
    write_file(temporary, "new");

    EXPECT_EQ(rename_file(temporary.string(), final_name.string()), c.replaced);

    EXPECT_EQ(read_file(outside), "keep");
    if (c.replaced) {
      EXPECT_FALSE(fs::is_symlink(final_name));
      EXPECT_EQ(read_file(final_name), "new");
      EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    } else {
      EXPECT_TRUE(fs::is_directory(final_name / "inside"));
      EXPECT_EQ(read_file(temporary), "new");
    }
  }
}

// Two compiles of different routes into one folder, started together, again
// and again: each ends well, and the folder always holds the three files of
// one of them.
TEST_F(SharedFolder, ConcurrentCompilesIntoOneFolderNeverMixTheirFiles) {
  const fs::path a = dir.path() / "a";
  const fs::path b = dir.path() / "b";
  for (const fs::path& d : {a, b}) {
    fs::create_directories(d);
    ASSERT_EQ(run_child({SB_PROGRAM, "export", d.string()}).exit_status, kExitOk);
  }
  const fs::path b_line = b / line_description_name(kRoute);
  std::string text = read_file(b_line);
  const auto at = text.find("89000");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 5, "88000");
  write_file(b_line, text);

  const auto compile_line = [](const fs::path& src, const fs::path& out) {
    return "'" + std::string(SB_PROGRAM) + "' compile '" + (src / line_description_name(kRoute)).string() + "' '" +
           (src / service_description_name(kRoute, kTrain)).string() + "' -o '" + out.string() + "'";
  };
  const std::vector<std::string> compiled = {profile_file_name(kRoute), header_file_name(kRoute, kTrain),
                                             track_file_name(kRoute, kTrain)};
  std::map<std::string, std::string> of_a, of_b;
  for (const auto& [src, files] : {std::pair{a, &of_a}, std::pair{b, &of_b}}) {
    const fs::path solo = dir.path() / ("solo-" + src.filename().string());
    fs::create_directories(solo);
    ASSERT_EQ(run_command(compile_line(src, solo)), kExitOk);
    for (const auto& n : compiled) (*files)[n] = read_file(solo / n);
  }
  for (const auto& n : compiled) ASSERT_NE(of_a[n], of_b[n]) << n;

  const fs::path out = dir.path() / "out";
  fs::create_directories(out);
  const fs::path sa = dir.path() / "status-a";
  const fs::path sb = dir.path() / "status-b";
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::string both = "(" + compile_line(a, out) + " 2>&1; echo $? >'" + sa.string() + "') & (" +
                             compile_line(b, out) + " 2>&1; echo $? >'" + sb.string() + "') & wait";
    ASSERT_EQ(run_command(both + " >/dev/null"), 0);
    EXPECT_EQ(read_file(sa), "0\n");
    EXPECT_EQ(read_file(sb), "0\n");
    std::map<std::string, std::string> now;
    for (const auto& n : compiled) now[n] = read_file(out / n);
    EXPECT_TRUE(now == of_a || now == of_b) << "the folder mixes the files of two compiles";
    EXPECT_EQ(regular_files(out).size(), 3u) << "a temporary or lock file stayed behind";
  }
}

TEST_F(SharedFolder, TwoStartUpRunsOfOneProgramAtOnceBothSucceed) {
  const fs::path folder = program_in("twice");
  const std::string program = (folder / "scenario-builder").string();
  const fs::path sa = dir.path() / "status-a";
  const fs::path sb = dir.path() / "status-b";
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::string both = "('" + program + "' 2>&1; echo $? >'" + sa.string() + "') & ('" + program +
                             "' 2>&1; echo $? >'" + sb.string() + "') & wait";
    ASSERT_EQ(run_command(both + " >/dev/null"), 0);
    EXPECT_EQ(read_file(sa), "0\n");
    EXPECT_EQ(read_file(sb), "0\n");
    EXPECT_EQ(regular_files(folder), expected);
  }
}

// A child that takes the lock on `folder`, tells the parent through a pipe,
// and then either dies on the spot or holds the lock until it is killed.
pid_t lock_holder(const fs::path& folder, bool die_at_once) {
  int ready[2];
  if (::pipe(ready) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(ready[0]);
    DirectoryLock lock(folder.string(), '/');
    if (::write(ready[1], "x", 1) != 1) ::_exit(1);
    if (die_at_once) ::kill(::getpid(), SIGKILL);
    for (;;) ::pause();
  }
  ::close(ready[1]);
  char c;
  const bool locked = ::read(ready[0], &c, 1) == 1;
  ::close(ready[0]);
  return locked ? pid : -1;
}

TEST_F(SharedFolder, ARunKilledWhileHoldingTheLockDoesNotBlockTheNext) {
  const fs::path folder = program_in("killed");
  const pid_t holder = lock_holder(folder, true);
  ASSERT_GT(holder, 0);
  int status = 0;
  ::waitpid(holder, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_TRUE(fs::exists(folder / kLockFileName)) << "the killed run could not remove its lock file";

  const auto run = run_child({(folder / "scenario-builder").string()});
  EXPECT_EQ(run.exit_status, kExitOk) << run.err;
  EXPECT_EQ(regular_files(folder), expected);
}

TEST_F(SharedFolder, ARunThatCannotGetTheLockNamesTheHolderAndEndsWithStatus2) {
  const fs::path folder = program_in("held");
  const pid_t holder = lock_holder(folder, false);
  ASSERT_GT(holder, 0);

  // The library's own wait, kept short here; the program waits 5 s.
  try {
    DirectoryLock lock(folder.string(), '/', std::chrono::milliseconds(100));
    ADD_FAILURE() << "the lock was taken while another process held it";
  } catch (const LockError& e) {
    EXPECT_NE(std::string(e.what()).find("process " + std::to_string(holder)), std::string::npos) << e.what();
  }
  const auto run = run_child({(folder / "scenario-builder").string()});
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);

  EXPECT_EQ(run.exit_status, kExitFailure);
  EXPECT_NE(run.err.find("process " + std::to_string(holder)), std::string::npos) << run.err;
  const auto left = regular_files(folder);
  EXPECT_EQ(left.size(), 1u) << "the run wrote while another held the lock";
  EXPECT_EQ(left.count(kLockFileName), 1u);
}

}  // namespace
}  // namespace sb
