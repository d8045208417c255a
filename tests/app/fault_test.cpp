// Failures of the file system while the program replaces its files: whatever
// goes wrong, the run ends with a message naming the file and a non-zero
// status, and every file a previous good run left is either still byte for
// byte what it was or completely replaced; no temporary file stays behind.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "app/directory_files.h"
#include "app/exit_status.h"
#include "app/run_sequence.h"
#include "documents/description_documents.h"
#include "documents/driver_documents.h"
#include "model/file_names.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace sb {
namespace {

namespace fs = std::filesystem;
using testing::ChildOptions;
using testing::ChildResult;
using testing::read_file;
using testing::run_child;
using testing::TempDir;
using testing::write_file;

constexpr const char* kRoute = "ORSEA_MONTELBA";
constexpr const char* kTrain = "RX17";
constexpr const char* kProgram = "scenario-builder";

// Every file of a directory but the program, by name.
using Snapshot = std::map<std::string, std::string>;

Snapshot snapshot(const fs::path& dir) {
  Snapshot files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name == kProgram) continue;
    files[name] = entry.is_directory() ? std::string("<directory>") : read_file(entry.path());
  }
  return files;
}

// Names that differ between two snapshots (missing, added or changed); empty
// when they are equal. Shown instead of the bytes, which run to megabytes.
std::string differences(const Snapshot& a, const Snapshot& b) {
  std::string out;
  for (const auto& [name, bytes] : a) {
    auto it = b.find(name);
    if (it == b.end())
      out += " -" + name;
    else if (it->second != bytes)
      out += " ~" + name;
  }
  for (const auto& [name, bytes] : b) {
    if (a.count(name) == 0) out += " +" + name;
  }
  return out;
}

void replace_in_file(const fs::path& path, const std::string& from, const std::string& to) {
  std::string text = read_file(path);
  const auto at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text.replace(at, from.size(), to);
  write_file(path, text);
}

// A program directory after a previous good run whose compiled files differ
// from what the embedded scenario gives (a route 1000 m shorter), so that
// any replacement of them shows in their bytes.
class EarlierRun : public ::testing::Test {
 protected:
  void SetUp() override { prepare(dir.path() / "prog"); }

  void prepare(const fs::path& program_dir) {
    prog = program_dir;
    fs::create_directories(prog);
    program = (prog / kProgram).string();
    fs::copy_file(SB_PROGRAM, program, fs::copy_options::overwrite_existing);
    ASSERT_EQ(run_child({program, "export", prog.string()}).exit_status, kExitOk);
    const fs::path line = prog / line_description_name(kRoute);
    const fs::path service = prog / service_description_name(kRoute, kTrain);
    replace_in_file(line, "lunghezza percorso,    89000", "lunghezza percorso,    88000");
    const ChildResult compiled = run_child({program, "compile", line.string(), service.string(), "-o", prog.string()});
    ASSERT_EQ(compiled.exit_status, kExitOk) << compiled.err;
    fs::remove(line);
    fs::remove(service);
    before = snapshot(prog);
    ASSERT_EQ(before.size(), 6u);
  }

  // The start-up run: the program without arguments, from another directory.
  ChildResult start_up(ChildOptions options = {}) {
    options.working_directory = dir.str();
    return run_child({program}, options);
  }

  // What a clean start-up run writes, from a copy in a fresh directory.
  Snapshot clean_run_files() {
    const fs::path ref = dir.path() / "reference";
    fs::create_directories(ref);
    fs::copy_file(SB_PROGRAM, ref / kProgram);
    EXPECT_EQ(run_child({(ref / kProgram).string()}).exit_status, kExitOk);
    return snapshot(ref);
  }

  TempDir dir;
  fs::path prog;
  std::string program;
  Snapshot before;
};

TEST_F(EarlierRun, ItsCompiledFilesDifferFromTheEmbeddedScenarios) {
  // The premise of the tests below: a replaced file would show.
  const Snapshot clean = clean_run_files();
  for (const char* name : {"ORSEA_MONTELBA_linea.dat", "ORSEA_MONTELBA_RX17.sim", "ORSEA_MONTELBA_RX17.dat"}) {
    EXPECT_TRUE(before.at(name) != clean.at(name)) << name;
  }
}

TEST_F(EarlierRun, ReadOnlyProgramDirectoryEndsBeforeTheFirstDocumentAndChangesNothing) {
  ChildOptions options;
  if (::geteuid() == 0) {
    // Root writes through any mode bits: run the program as an unprivileged
    // user instead, for whom the root-owned directory is read-only.
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr) GTEST_SKIP() << "running as root and there is no user 'nobody' to run the program as";
    options.user = nobody->pw_uid;
    options.group = nobody->pw_gid;
  } else {
    fs::permissions(prog, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  }
  const ChildResult run = start_up(options);
  fs::permissions(prog, fs::perms::owner_all, fs::perm_options::add);

  // The run's lock on its directory is the first thing it would create.
  EXPECT_EQ(run.exit_status, kExitFailure) << run.err;
  EXPECT_NE(run.err.find(prog.string()), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Permission denied"), std::string::npos) << run.err;
  EXPECT_EQ(differences(before, snapshot(prog)), "");
}

TEST_F(EarlierRun, FileSizeLimitInTheProfileFileKeepsTheEarlierCompiledFiles) {
  // The documents (a few kB) fit; the profile file (about 1.9 MB) does not.
  ChildOptions options;
  options.file_size_limit = 1 << 20;
  const ChildResult run = start_up(options);

  EXPECT_EQ(run.exit_status, kExitFailure) << run.err;
  EXPECT_NE(run.err.find(profile_file_name(kRoute)), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("cannot be written"), std::string::npos) << run.err;
  // The documents were rewritten with the same bytes; the compiled files are
  // the earlier run's; the descriptions are gone and no temporary is left.
  EXPECT_EQ(differences(before, snapshot(prog)), "");
}

TEST_F(EarlierRun, OutputPathThatIsADirectoryStopsBeforeItAndKeepsTheLaterFile) {
  const std::string header = header_file_name(kRoute, kTrain);
  fs::remove(prog / header);
  fs::create_directory(prog / header);
  before = snapshot(prog);
  const ChildResult run = start_up();

  EXPECT_EQ(run.exit_status, kExitFailure) << run.err;
  EXPECT_NE(run.err.find(header), std::string::npos) << run.err;
  // The profile file before it was replaced whole; the track file after it
  // was never touched.
  Snapshot expected = before;
  expected[profile_file_name(kRoute)] = clean_run_files().at(profile_file_name(kRoute));
  EXPECT_EQ(differences(expected, snapshot(prog)), "");
}

TEST_F(EarlierRun, CompileIntoADirectoryWhereTheTrackFileIsADirectoryNamesIt) {
  const fs::path work = dir.path() / "work";
  fs::create_directories(work);
  ASSERT_EQ(run_child({program, "export", work.string()}).exit_status, kExitOk);
  const std::string track = track_file_name(kRoute, kTrain);
  fs::remove(prog / track);
  fs::create_directory(prog / track);
  before = snapshot(prog);

  const ChildResult run = run_child({program, "compile", (work / line_description_name(kRoute)).string(),
                                     (work / service_description_name(kRoute, kTrain)).string(), "-o", prog.string()});
  EXPECT_EQ(run.exit_status, kExitFailure) << run.err;
  EXPECT_NE(run.err.find(track), std::string::npos) << run.err;
  const Snapshot clean = clean_run_files();
  Snapshot expected = before;
  expected[profile_file_name(kRoute)] = clean.at(profile_file_name(kRoute));
  expected[header_file_name(kRoute, kTrain)] = clean.at(header_file_name(kRoute, kTrain));
  EXPECT_EQ(differences(expected, snapshot(prog)), "");
}

// A real full disk: a small tmpfs as the program directory, with room for
// the documents but not for a second copy of the profile file. Needs root
// (mount); elsewhere the file-size limit above stands in for it.
class FullDisk : public EarlierRun {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root; the file-size limit test covers the rest";
    mount_point = dir.path() / "small";
    fs::create_directories(mount_point);
    if (testing::run_command("mount -t tmpfs -o size=64m sb-test-full-disk '" + mount_point.string() + "'") != 0) {
      GTEST_SKIP() << "tmpfs cannot be mounted here";
    }
    mounted = true;
    prepare(mount_point);
    // Shrink the disk to what is used now plus 1 MiB.
    struct statvfs fs_info {};
    ASSERT_EQ(::statvfs(mount_point.c_str(), &fs_info), 0);
    const unsigned long long used = (fs_info.f_blocks - fs_info.f_bfree) * fs_info.f_frsize;
    const unsigned long long size_kib = used / 1024 + 1024;
    ASSERT_EQ(
        testing::run_command("mount -o remount,size=" + std::to_string(size_kib) + "k '" + mount_point.string() + "'"),
        0);
  }
  void TearDown() override {
    if (mounted) testing::run_command("umount '" + mount_point.string() + "'");
  }
  fs::path mount_point;
  bool mounted = false;
};

TEST_F(FullDisk, NoSpaceInTheProfileFileKeepsTheEarlierCompiledFiles) {
  const ChildResult run = start_up();
  EXPECT_EQ(run.exit_status, kExitFailure) << run.err;
  EXPECT_NE(run.err.find(profile_file_name(kRoute)), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("cannot be written"), std::string::npos) << run.err;
  EXPECT_EQ(differences(before, snapshot(prog)), "");
}

// The directory disappears between the documents and the compiled files.
class Journal : public Platform {
 public:
  std::string program_directory() override { return "unused"; }
  char path_separator() const override { return '/'; }
  void show_wait_window() override {}
  void message_box(const std::string& text) override { messages += text + "\n"; }
  void close_wait_window() override {}
  std::string messages;
};

// A directory door whose directory is moved away (or removed) when the
// profile file is about to be written, or half-way through writing it.
class VanishingDirectory : public DirectoryFiles {
 public:
  enum class When { BeforeTheProfile, DuringTheProfile };
  VanishingDirectory(fs::path directory, fs::path moved_to, When when)
      : DirectoryFiles(directory.string(), '/'),
        directory_(std::move(directory)),
        moved_to_(std::move(moved_to)),
        when_(when) {}

  void replace(const std::string& name, const std::function<void(OutputSink&)>& fill) override {
    if (name != profile_file_name(kRoute)) return DirectoryFiles::replace(name, fill);
    if (when_ == When::BeforeTheProfile) {
      fs::rename(directory_, moved_to_);
      return DirectoryFiles::replace(name, fill);
    }
    DirectoryFiles::replace(name, [&](OutputSink& sink) {
      sink.write_at(0, "half", 4);
      fs::remove_all(directory_);
      fill(sink);
    });
  }

 private:
  fs::path directory_, moved_to_;
  When when_;
};

TEST(VanishingDirectory, MovedAwayBeforeTheCompiledFilesEndsTheRunAndLeavesItsFilesWhole) {
  TempDir dir;
  const fs::path prog = dir.path() / "prog";
  const fs::path moved = dir.path() / "moved";
  fs::create_directories(prog);
  write_file(prog / profile_file_name(kRoute), "earlier profile");
  write_file(prog / track_file_name(kRoute, kTrain), "earlier track");
  Journal platform;
  VanishingDirectory files(prog, moved, VanishingDirectory::When::BeforeTheProfile);
  ScenarioModel model;

  EXPECT_EQ(run_sequence(platform, files, model), kExitFailure);
  EXPECT_NE(platform.messages.find(profile_file_name(kRoute)), std::string::npos) << platform.messages;
  EXPECT_FALSE(fs::exists(prog));  // nothing recreated where the directory was
  const Snapshot expected = {
      {profile_file_name(kRoute), "earlier profile"},
      {track_file_name(kRoute, kTrain), "earlier track"},
      {notes_name(kRoute, kTrain), document_bytes(notes_buffer())},
      {slowdown_order_name(kRoute, kTrain), document_bytes(slowdown_order_buffer())},
      {timetable_card_name(kRoute, kTrain), document_bytes(timetable_card_buffer())},
  };
  EXPECT_EQ(differences(expected, snapshot(moved)), "");
}

TEST(VanishingDirectory, RemovedWhileTheProfileIsWrittenEndsTheRunWithTheFileNamed) {
  TempDir dir;
  const fs::path prog = dir.path() / "prog";
  fs::create_directories(prog);
  Journal platform;
  VanishingDirectory files(prog, {}, VanishingDirectory::When::DuringTheProfile);
  ScenarioModel model;

  EXPECT_EQ(run_sequence(platform, files, model), kExitFailure);
  EXPECT_NE(platform.messages.find(profile_file_name(kRoute)), std::string::npos) << platform.messages;
  EXPECT_FALSE(fs::exists(prog));
}

// The replace step itself, on a real directory.
TEST(AtomicReplace, AFailingWriterLeavesTheEarlierFileAndNoTemporary) {
  TempDir dir;
  write_file(dir.path() / "file.dat", "earlier bytes");
  DirectoryFiles files(dir.str(), '/');
  EXPECT_THROW(files.replace("file.dat",
                             [](OutputSink& sink) {
                               sink.write_at(0, "new", 3);
                               throw FileError("file.dat", "cannot be written: disk full");
                             }),
               FileError);
  EXPECT_EQ(snapshot(dir.path()), (Snapshot{{"file.dat", "earlier bytes"}}));
}

TEST(AtomicReplace, AShorterFileLeavesNoEarlierBytesBehind) {
  TempDir dir;
  write_file(dir.path() / "file.dat", "a much longer earlier content");
  DirectoryFiles files(dir.str(), '/');
  files.replace("file.dat", [](OutputSink& sink) { sink.write_at(0, "new", 3); });
  EXPECT_EQ(snapshot(dir.path()), (Snapshot{{"file.dat", "new"}}));
}

}  // namespace
}  // namespace sb
