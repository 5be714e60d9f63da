// Wake-ups of an idle program: starts it (on Qt's offscreen platform unless
// QT_QPA_PLATFORM says otherwise), lets it settle, then counts the context switches
// of all its threads over a measuring time and prints them per second, each thread's
// and the whole process's (target: at most 5 a second).
//
//   idle [--settle S] [--seconds S] PROGRAM [ARGUMENTS...]
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <map>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Voluntary plus involuntary context switches of one thread, by its id; its name beside.
struct ThreadSwitches {
    std::string name;
    long long switches = 0;
};

ThreadSwitches ReadThread(const std::string& statusPath)
{
    ThreadSwitches thread;
    std::ifstream status(statusPath);
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Name:", 0) == 0)
            thread.name = line.substr(line.find_first_not_of(" \t", 5));
        else if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
            thread.switches += std::atoll(line.c_str() + line.find(':') + 1);
    }
    return thread;
}

std::map<long, ThreadSwitches> ReadProcess(pid_t pid)
{
    std::map<long, ThreadSwitches> threads;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* folder = opendir(tasks.c_str());
    if (folder == nullptr)
        return threads;
    while (const dirent* entry = readdir(folder)) {
        if (entry->d_name[0] != '.')
            threads[std::atol(entry->d_name)] = ReadThread(tasks + "/" + entry->d_name + "/status");
    }
    closedir(folder);
    return threads;
}

pid_t Start(char** argv)
{
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        execv(argv[0], argv);
        std::perror(argv[0]);
        _exit(127);
    }
    return pid;
}

}  // namespace

int main(int argc, char** argv)
{
    int settle = 5;
    int seconds = 10;
    int first = 1;
    for (; first + 1 < argc && std::strncmp(argv[first], "--", 2) == 0; first += 2) {
        if (std::strcmp(argv[first], "--settle") == 0)
            settle = std::atoi(argv[first + 1]);
        else if (std::strcmp(argv[first], "--seconds") == 0)
            seconds = std::atoi(argv[first + 1]);
    }
    if (first >= argc || seconds <= 0 || settle < 0) {
        std::fprintf(stderr, "usage: idle [--settle S] [--seconds S] PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    const pid_t pid = Start(argv + first);
    if (pid < 0) {
        std::perror("fork");
        return 2;
    }
    std::this_thread::sleep_for(std::chrono::seconds(settle));
    const std::map<long, ThreadSwitches> before = ReadProcess(pid);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const std::map<long, ThreadSwitches> after = ReadProcess(pid);
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    if (before.empty() || after.empty()) {
        std::fprintf(stderr, "idle: the program ended before the measurement did\n");
        return 1;
    }

    long long total = 0;
    for (const auto& [id, thread] : after) {
        const auto old = before.find(id);
        const long long switches = thread.switches - (old != before.end() ? old->second.switches : 0);
        total += switches;
        std::printf("thread %ld %-16s %8.1f switches/s\n", id, thread.name.c_str(), double(switches) / seconds);
    }
    std::printf("process: %.1f switches/s over %d s, %zu threads (target: at most 5)\n", double(total) / seconds,
                seconds, after.size());
    return 0;
}
