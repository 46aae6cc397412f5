#include "platform/process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace platform {

int SpawnTiedProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment)
{
    if (argv.empty()) return -1;
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    // the child's environment, made before the fork
    std::vector<std::string> own;
    for (char** e = environ; e && *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const std::string& x : environment)
            replaced = replaced || x.substr(0, x.find('=')) == name;
        if (!replaced) own.push_back(entry);
    }
    own.insert(own.end(), environment.begin(), environment.end());
    std::vector<char*> envp;
    for (const std::string& e : own)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        // only async-signal-safe calls between fork and exec
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        setpgid(0, 0);
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    setpgid(pid, pid);
    return int(pid);
}

int PollChild(int pid, int* code)
{
    int status = 0;
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == 0) return 0;
    if (r < 0) return -1;
    if (code) *code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return 1;
}

bool WaitChild(int pid, int ms, int* code)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        const int r = PollChild(pid, code);
        if (r != 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

void KillChildGroup(int pid)
{
    if (pid <= 0) return;
    KillProcessGroup(pid);
    int status = 0;
    waitpid(pid, &status, 0);
}

void KillProcessGroup(int pid)
{
    if (pid <= 0) return;
    kill(-pid, SIGKILL);
    kill(pid, SIGKILL);
}

bool ProcessExists(int pid)
{
    if (pid <= 0) return false;
    return kill(pid, 0) == 0 || errno == EPERM;
}

} // namespace platform
