// The shared setting of the file tests: a fresh folder as the working
// directory and as XDG_DATA_HOME, every file state closed, no secure mode,
// errors recorded but not shown; and a way to call built-ins by name.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "code/Code_Error.h"
#include "data/Option_Main.h"
#include "data/Support_TempDir.h"
#include "functions/Support_Included.h"
#include "functions/Function_File.h"
#include "platform/Platform_Registry.h"
#include "variables/Code_Function.h"
#include "runner/Builtins_Main.h"

inline RValue S(std::string s) { return RValue(std::move(s)); }
inline RValue N(double r) { return RValue(r); }

// Calls a registered built-in with the given arguments.
inline RValue Call(const char* name, const std::vector<RValue>& args = {}) {
  Builtins_RegisterAll();
  int32_t id = Function_BuiltinIdOf(name);
  EXPECT_GE(id, 0) << name;
  if (id < 0) return RValue();
  int32_t argc = Function_ArgCount(id);
  EXPECT_TRUE(argc < 0 || argc == static_cast<int32_t>(args.size())) << name;
  RValue slots[MAX_ARGUMENTS];
  int n = 0;
  for (const RValue& arg : args) slots[n++] = arg;
  RValue result;
  Function_Callback(id)(nullptr, nullptr, n, slots, result);
  return result;
}

inline std::string ReadWhole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteWhole(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class FileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_OldDir = std::filesystem::current_path();
    char name[] = "/tmp/vl_files_test_XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    m_Dir = name;
    std::filesystem::current_path(m_Dir);
    const char* data_home = std::getenv("XDG_DATA_HOME");
    m_HadDataHome = data_home != nullptr;
    if (m_HadDataHome) m_OldDataHome = data_home;
    setenv("XDG_DATA_HOME", m_Dir.c_str(), 1);
    Registry_Close();
    Settings.DisplayErrors = false;
    Error_Reset();
    SecureMode = false;
    File_CloseAll();
    DataFile_Clear();
  }

  void TearDown() override {
    File_CloseAll();
    DataFile_Clear();
    Registry_Close();
    SecureMode = false;
    if (m_HadDataHome)
      setenv("XDG_DATA_HOME", m_OldDataHome.c_str(), 1);
    else
      unsetenv("XDG_DATA_HOME");
    std::filesystem::current_path(m_OldDir);
    std::error_code ec;
    std::filesystem::permissions(m_Dir, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(m_Dir, ec);
  }

  // The last reported message since the previous call without the place it
  // is wrapped in (event, object, action), "" when none.
  std::string TakeError() {
    std::string last = Error_Occurred() ? Error_Last() : std::string();
    Error_Reset();
    size_t body = last.find("\r\n\r\n");
    return body == std::string::npos ? last : last.substr(body + 4);
  }

  std::filesystem::path m_Dir, m_OldDir;
  std::string m_OldDataHome;
  bool m_HadDataHome = false;
};
