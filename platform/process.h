// Child processes the program starts and must not outlive it (the office).
#pragma once

#include <string>
#include <vector>

namespace platform {

/// Starts `argv[0]` with `argv` in a process group of its own; the child gets SIGTERM when the
/// calling thread ends (PR_SET_PDEATHSIG). `environment` entries ("NAME=value") are set for the
/// child on top of this process's environment. Returns the pid, or -1.
int SpawnTiedProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {});
/// Whether the child has ended: 0 still running, 1 ended (its exit code in *code, or 128 + signal),
/// -1 not a child of ours.
int PollChild(int pid, int* code);
/// Waits up to `ms` for the child to end. True when it ended.
bool WaitChild(int pid, int ms, int* code = nullptr);
/// Kills the child's whole process group and reaps it.
void KillChildGroup(int pid);
/// Sends SIGKILL to the child's process group without waiting for it (safe from any thread, a
/// watchdog's for one); the owner reaps it later with KillChildGroup or WaitChild.
void KillProcessGroup(int pid);
/// Whether a process with this id exists.
bool ProcessExists(int pid);

} // namespace platform
