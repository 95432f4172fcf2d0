// A fixture for tests of projects: a fresh folder of its own under the build
// tree (removed again afterwards) and project folders made in it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

class CProjectFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    m_Dir = std::filesystem::path(VELMORA_BUILD_DIR) / "project-test" / test->test_suite_name() / test->name();
    std::filesystem::remove_all(m_Dir);
    std::filesystem::create_directories(m_Dir);
  }
  void TearDown() override { std::filesystem::remove_all(m_Dir); }

  // A project folder with the given manifest text and files.
  std::filesystem::path Project(const std::string& manifest,
                                const std::vector<std::pair<std::string, std::string>>& files = {}) {
    std::filesystem::path folder = m_Dir / ("project" + std::to_string(m_Projects++));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "project.json") << manifest;
    for (const auto& [name, content] : files) {
      std::filesystem::create_directories((folder / name).parent_path());
      std::ofstream(folder / name, std::ios::binary) << content;
    }
    return folder;
  }

  std::filesystem::path m_Dir;
  int m_Projects = 0;
};
