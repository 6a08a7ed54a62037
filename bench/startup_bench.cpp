// Start-up and memory of the program: the time from the start of the process
// to the disclaimer box on the screen, and the memory before and after the
// first download window opens (the program's own process, and with the
// browser engine's helper processes). Runs the program several times, each in
// a fresh process, and prints the medians.
//
// Usage: startup_bench [RUNS]   (on the offscreen platform unless one is set)

#include <unistd.h>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/browser_engine.hpp"
#include "app/program.hpp"
#include "app_support.hpp"
#include "demo/demo_sites.hpp"
#include "web/fetch.hpp"

namespace {

using namespace orvu::app;
using namespace orvu::app::test;

// Seconds since boot at which this process started (clock ticks of /proc).
double process_start_seconds() {
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    for (int index = 3; index <= 22; ++index)
        fields >> field;  // field 22: starttime
    return std::stod(field) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double seconds_since_boot() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

long rss_kib(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return 0;
}

int parent_of(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(line.substr(close + 2));
    std::string state;
    int parent = -1;
    fields >> state >> parent;
    return parent;
}

// This process and every process below it: the browser engine's helpers.
long family_rss_kib() {
    std::vector<int> family{getpid()};
    bool grew = true;
    while (grew) {
        grew = false;
        for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
            const std::string name = entry.path().filename().string();
            if (!std::all_of(name.begin(), name.end(), ::isdigit)) continue;
            const int pid = std::stoi(name);
            if (std::find(family.begin(), family.end(), pid) != family.end()) continue;
            if (std::find(family.begin(), family.end(), parent_of(pid)) != family.end()) {
                family.push_back(pid);
                grew = true;
            }
        }
    }
    long total = 0;
    for (const int pid : family)
        total += rss_kib(pid);
    return total;
}

// One run, in this process: prints "disclaimer_ms rss_before rss_family_before
// rss_after rss_family_after".
int run_once(int argc, char** argv) {
    // Two spans: from the process's start to main, then from the application's
    // start to the box; the demo sites start between them, outside both.
    const double started = process_start_seconds();
    const double main_entered = seconds_since_boot();
    orvu::demo::DemoSites sites;
    const auto application_start = std::chrono::steady_clock::now();

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    prepare_browser_engine(QString::fromStdString(orvu::extra_ca_file()));
    Program program({.endpoints = sites.endpoints()});  // nothing is downloaded here

    double disclaimer_ms = -1;
    const BoxWatcher boxes(
        [&](QMessageBox&) {
            if (disclaimer_ms >= 0) return;
            const std::chrono::duration<double, std::milli> span =
                std::chrono::steady_clock::now() - application_start;
            disclaimer_ms = (main_entered - started) * 1e3 + span.count();
        },
        1);
    program.start();

    MainWindow& main = program.main_window();
    serve_events(1000);
    const long before = rss_kib(getpid());
    const long family_before = family_rss_kib();

    QTest::mouseClick(&control<QPushButton>(main, u8"按钮1"), Qt::LeftButton);
    auto& results = control<ReportList>(main, u8"超级列表框1");
    if (!wait_until([&results] { return results.rowCount() > 0; })) return 1;
    double_click_row(results, 0);
    if (!wait_until(
            [&main] { return main.download_window() && main.download_window()->isVisible(); })) {
        return 1;
    }
    serve_events(1000);
    std::printf("%.1f %ld %ld %ld %ld\n", disclaimer_ms, before, family_before, rss_kib(getpid()),
                family_rss_kib());
    orvu::release_search_prefixes();
    return 0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--once") return run_once(argc, argv);
    const int runs = argc == 2 ? std::max(1, std::atoi(argv[1])) : 5;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    std::vector<std::vector<double>> columns(5);
    for (int run = 0; run < runs; ++run) {
        const std::string command = "'" + std::string(argv[0]) + "' --once 2>/dev/null";
        FILE* child = popen(command.c_str(), "r");
        if (!child) return 1;
        double values[5] = {};
        const int read = std::fscanf(child, "%lf %lf %lf %lf %lf", &values[0], &values[1],
                                     &values[2], &values[3], &values[4]);
        if (pclose(child) != 0 || read != 5) {
            std::fprintf(stderr, "run %d failed\n", run + 1);
            return 1;
        }
        for (int column = 0; column < 5; ++column)
            columns[column].push_back(values[column]);
    }
    std::printf("start to disclaimer box: %.0f ms (median of %d runs)\n", median(columns[0]), runs);
    std::printf(
        "memory before the first download window: %.1f MiB, %.1f MiB with the engine's processes\n",
        median(columns[1]) / 1024, median(columns[2]) / 1024);
    std::printf(
        "memory after it opened:                  %.1f MiB, %.1f MiB with the engine's processes\n",
        median(columns[3]) / 1024, median(columns[4]) / 1024);
    return 0;
}
