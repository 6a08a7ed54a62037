// A 10 MiB UTF-8 search page with 50000 results of site 1's pattern turned into
// rows (conversion to GBK, matching, filling an in-memory list), against the
// same extraction with Python's re in the same run (Python times its own work,
// without its start-up).

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "sites/flows.hpp"
#include "sites/memory_controls.hpp"
#include "text/codepage.hpp"
#include "timing.hpp"

namespace {

std::string search_page(int results) {
    std::string page =
        "<html><head><meta charset=\"utf-8\"><title>搜索结果</title></head><body><ul>\n";
    for (int i = 0; i < results; ++i) {
        const std::string n = std::to_string(i);
        page +=
            "<li><span class=\"s1\">[玄幻]</span><span class=\"s2\"><a class=\"bookname\" "
            "href=\"/book/" +
            n + ".html\">第" + n +
            "号书名在此</a></span><span class=\"s4\">"
            "作者某某</span><span class=\"s5\">2024-05-01 连载中</span></li>\n";
    }
    return page + "</ul></body></html>\n";
}

const char* python_extraction = R"py(
import re, sys, time
data = open(sys.argv[1], 'rb').read()
start = time.perf_counter()
text = data.decode('utf-8', 'replace')
pattern = re.compile(r'<a class="bookname" href="(.*?)">(.*?)</a>', re.IGNORECASE)
rows = [(str(i + 1), m.group(2), m.group(1)) for i, m in enumerate(pattern.finditer(text))]
print(time.perf_counter() - start, len(rows))
)py";

}  // namespace

int main() {
    using namespace orvu;
    const std::string page = search_page(50000);
    const std::string page_path = "/tmp/orvu-rows-bench.html";
    const std::string script_path = "/tmp/orvu-rows-bench.py";
    std::ofstream(page_path, std::ios::binary) << page;
    std::ofstream(script_path) << python_extraction;

    const SiteProfile& site1 = *profile_for(0);
    const Text body(page);
    int rows = 0;
    const double ours = bench::median_seconds(5, [&] {
        MemoryListView list(3);
        MessageLog messages;
        rows = fill_result_list(utf8_to_gbk(body), site1, list, messages);
    });

    double theirs = 0;
    long python_rows = 0;
    const std::string command = "python3 " + script_path + " " + page_path;
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        FILE* pipe = ::popen(command.c_str(), "r");
        double seconds = 0;
        if (pipe && std::fscanf(pipe, "%lf %ld", &seconds, &python_rows) == 2)
            times.push_back(seconds);
        if (pipe) ::pclose(pipe);
    }
    std::sort(times.begin(), times.end());
    if (!times.empty()) theirs = times[times.size() / 2];
    std::remove(page_path.c_str());
    std::remove(script_path.c_str());

    std::printf("page %zu bytes, rows %d (Python %ld)\n", page.size(), rows, python_rows);
    bench::report("page text to rows", ours, theirs, "Python re");
}
