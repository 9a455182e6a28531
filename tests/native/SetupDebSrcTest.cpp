// Set-up's deb-src entries, derived from a machine's own apt sources in both formats, and read
// back by apt itself.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string Shell(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  EXPECT_EQ(pclose(pipe), 0) << command;
  return out;
}

void Write(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

// One record of `apt-get indextargets`, with the fields apt fills from the entry and, once the
// lists are fetched, from the archive's Release file.
std::string Target(const std::string& of, const std::string& createdBy, const std::string& origin,
                   const std::string& site, const std::string& suite, const std::string& component,
                   const std::string& entry) {
  std::string r = "MetaKey: " + component + "/x\nCreated-By: " + createdBy + "\n";
  if (!origin.empty()) r += "Origin: " + origin + "\n";
  r += "Component: " + component + "\nRelease: " + suite + "\nSite: " + site + "\nSourcesentry: " + entry +
       "\nTarget-Of: " + of + "\n\n";
  return r;
}

class SetupDebSrc : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("kestrune-debsrc-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                       "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir / "sources.list.d");
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string Derive(const std::string& indextargets) {
    Write(dir / "targets", indextargets);
    return Shell("bash '" KESTRUNE_SOURCE_DIR "/scripts/deb-src-entries.sh' '" + Own().string() + "' < '" +
               (dir / "targets").string() + "'");
  }
  fs::path Own() const { return dir / "sources.list.d" / "kestrune-src.sources"; }

  fs::path dir;
};

TEST_F(SetupDebSrc, EntriesFollowTheMachinesOwnDebianMirrorsInBothFormats) {
  const fs::path list = dir / "sources.list", sources = dir / "sources.list.d" / "mirror.sources";
  Write(list,
        "# the machine's mirror\n"
        "deb [arch=amd64 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://ftp.example.org/debian bookworm main contrib\n"
        "deb http://ftp.example.org/debian bookworm-updates main contrib\n"
        "deb https://vendor.example.com/debian/12/prod bookworm main\n");
  Write(sources,
        "Types: deb\n"
        "# a comment inside the stanza\n"
        "URIs: http://mirror.example.net/debian\n"
        "Suites: bookworm bookworm-backports\n"
        "Components: main non-free-firmware\n"
        "Signed-By:\n"
        " -----BEGIN PGP PUBLIC KEY BLOCK-----\n"
        " .\n"
        " mQINBGPL\n"
        " -----END PGP PUBLIC KEY BLOCK-----\n"
        "\n"
        "Types: deb deb-src\n"
        "URIs: http://security.example.net/debian-security\n"
        "Suites: bookworm-security\n"
        "Components: main\n");
  // A stale entry of set-up's own does not count as the machine already having sources.
  Write(Own(), "Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\n");

  const std::string l = list.string(), s = sources.string(), own = Own().string();
  std::string targets;
  for (const char* component : {"main", "contrib"}) {
    targets += Target("deb", "Packages", "Debian", "http://ftp.example.org/debian", "bookworm", component, l + ":2");
    targets += Target("deb", "Translations", "Debian", "http://ftp.example.org/debian", "bookworm", component, l + ":2");
    targets += Target("deb", "Packages", "Debian", "http://ftp.example.org/debian", "bookworm-updates", component, l + ":3");
  }
  targets += Target("deb", "Packages", "Vendor", "https://vendor.example.com/debian/12/prod", "bookworm", "main", l + ":4");
  for (const char* suite : {"bookworm", "bookworm-backports"})
    for (const char* component : {"main", "non-free-firmware"})
      targets += Target("deb", "Packages", "Debian", "http://mirror.example.net/debian", suite, component, s + ":1");
  targets += Target("deb", "Packages", "Debian", "http://security.example.net/debian-security", "bookworm-security", "main", s + ":2");
  targets += Target("deb-src", "Sources", "Debian", "http://security.example.net/debian-security", "bookworm-security", "main", s + ":2");
  targets += Target("deb-src", "Sources", "Debian", "http://ftp.example.org/debian", "bookworm", "main", own + ":1");

  const std::string derived = Derive(targets);
  EXPECT_EQ(derived,
            "Types: deb-src\n"
            "URIs: http://ftp.example.org/debian\n"
            "Suites: bookworm\n"
            "Components: main contrib\n"
            "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg\n"
            "\n"
            "Types: deb-src\n"
            "URIs: http://ftp.example.org/debian\n"
            "Suites: bookworm-updates\n"
            "Components: main contrib\n"
            "\n"
            "Types: deb-src\n"
            "URIs: http://mirror.example.net/debian\n"
            "Suites: bookworm bookworm-backports\n"
            "Components: main non-free-firmware\n"
            "Signed-By: \n"
            " -----BEGIN PGP PUBLIC KEY BLOCK-----\n"
            " .\n"
            " mQINBGPL\n"
            " -----END PGP PUBLIC KEY BLOCK-----\n");

  // apt reads what set-up writes as source entries of exactly those archives.
  fs::path parts = dir / "check.d";
  fs::create_directories(parts);
  Write(parts / "kestrune-src.sources", derived);
  const std::string seen = Shell("apt-get indextargets --no-release-info -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts='" +
                               parts.string() + "' 'Created-By: Sources' | grep -E '^(Target-Of|Site|Release|Component):' | sort -u");
  EXPECT_EQ(seen,
            "Component: contrib\n"
            "Component: main\n"
            "Component: non-free-firmware\n"
            "Release: bookworm\n"
            "Release: bookworm-backports\n"
            "Release: bookworm-updates\n"
            "Site: http://ftp.example.org/debian\n"
            "Site: http://mirror.example.net/debian\n"
            "Target-Of: deb-src\n");
}

// An archive whose Release file names no origin is not taken for Debian's (set-up fetches the
// lists before it asks). A machine whose Debian archives all have sources needs nothing.
TEST_F(SetupDebSrc, NothingWithoutKnownOriginsOrWhenSourcesExist) {
  const std::string entry = (dir / "sources.list").string() + ":1";
  EXPECT_EQ(Derive(Target("deb", "Packages", "", "http://ftp.example.org/debian", "bookworm", "main", entry)), "");
  EXPECT_EQ(Derive(Target("deb", "Packages", "Debian", "http://ftp.example.org/debian", "bookworm", "main", entry) +
                   Target("deb-src", "Sources", "Debian", "http://ftp.example.org/debian", "bookworm", "main", entry)),
            "");
}

}  // namespace
