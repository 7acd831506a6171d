// The helper program and the tests' side of it.
#include "support/kill_helper.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>

#include "platform/windows_text.h"
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern "C" char** environ;
#endif

#include "cli/batch.h"
#include "platform/files.h"
#include "spreadsheet/package.h"

namespace vexa::testing {

namespace {

constexpr int kKilledStatus = 137;

[[noreturn]] void killThisProcess() {
#ifdef _WIN32
  ::TerminateProcess(::GetCurrentProcess(), kKilledStatus);
#else
  ::kill(::getpid(), SIGKILL);
#endif
  std::abort();
}

std::filesystem::path helperProgram() {
#ifdef _WIN32
  wchar_t own[MAX_PATH];
  const DWORD size = ::GetModuleFileNameW(nullptr, own, MAX_PATH);
  return std::filesystem::path(std::wstring(own, size)).parent_path() / "kill_helper.exe";
#else
  return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "kill_helper";
#endif
}

}  // namespace

HelperRun runKillHelper(const std::vector<std::string>& arguments) {
  HelperRun run;
  const std::filesystem::path program = helperProgram();
#ifdef _WIN32
  std::wstring commandLine = L"\"" + program.native() + L"\"";
  for (const std::string& argument : arguments) {
    commandLine += L" \"" + platform::wideOf(argument) + L"\"";
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
    throw std::runtime_error("kill_helper does not start");
  }
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  ::GetExitCodeProcess(process.hProcess, &status);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  run.process = process.dwProcessId;
  run.killed = status == kKilledStatus;
#else
  std::vector<std::string> texts = {program.string()};
  texts.insert(texts.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& text : texts) {
    argv.push_back(text.data());
  }
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
    throw std::runtime_error("kill_helper does not start");
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  run.process = static_cast<std::uint32_t>(child);
  run.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
#endif
  return run;
}

// The helper program itself.
int killHelperMain(const std::vector<std::string>& arguments) {
  if (arguments.size() == 3 && arguments[0] == "file") {
    sheet::writeFileAtomically(arguments[1], std::string(std::stoul(arguments[2]), 'n'),
                               [] { killThisProcess(); });
    return 0;
  }
  if (arguments.size() == 3 && arguments[0] == "report") {
    int saves = 0;
    cli::Environment environment;
    environment.opener = [](const std::string&) {};
    environment.writer = [&](const std::string& path, std::string_view bytes) {
      if (++saves == 2) {  // the final save, after the lifecycle's early one
        sheet::writeFileAtomically(path, bytes, [] { killThisProcess(); });
      }
      sheet::writeFileAtomically(path, bytes);
    };
    std::ostringstream out;
    std::ostringstream err;
    return cli::runCommandLine({"--output", arguments[1], "--series", "battery", arguments[2]}, out,
                               err, environment);
  }
  std::cerr << "usage: kill_helper file PATH SIZE | report OUTPUT EXPORT\n";
  return 2;
}

}  // namespace vexa::testing

#ifdef VEXA_KILL_HELPER_MAIN
int main(int argc, char* argv[]) {
  return vexa::testing::killHelperMain(vexa::platform::programArguments(argc, argv));
}
#endif
