#include "EventLogs.h"

#include <cstdio>
#include <sstream>

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == '\t')
            fields.emplace_back();
        else if (c != '\r')
            fields.back() += c;
    }
    return fields;
}

template <typename Record, typename Parse>
std::vector<Record> ReadLines(const std::string& path, Parse parse) {
    std::istringstream text(ReadTextFile(path));
    std::vector<Record> records;
    for (std::string line; std::getline(text, line);) {
        const std::vector<std::string> fields = SplitTabs(line);
        // A line still being written has fewer fields: it is read next time.
        if (!line.empty() && line.back() == '\r')
            parse(fields, records);
    }
    return records;
}

} // namespace

std::vector<ImagerEvent> ReadImagerLog(const std::string& path) {
    return ReadLines<ImagerEvent>(path, [](const std::vector<std::string>& f, auto& records) {
        if (f.size() >= 5)
            records.push_back({std::stod(f[0]), f[1], f[2], f[3], f[4]});
    });
}

std::vector<CameraCall> ReadCameraLog(const std::string& path) {
    return ReadLines<CameraCall>(path, [](const std::vector<std::string>& f, auto& records) {
        if (f.size() >= 3)
            records.push_back({std::stod(f[0]), std::stoi(f[1]), f[2]});
    });
}

std::string BuiltStandInImager() { return ToWindowsPath(STAND_IN_IMAGER_PATH); }

StandInImager::StandInImager(const std::string& folder, const std::string& title,
                             const std::string& extraArguments)
    : m_log(folder + "\\imager.log") {
    m_process = std::make_unique<ChildProcess>(
        BuiltStandInImager(), folder, "/log:" + m_log + " \"/title:" + title + "\" " + extraArguments);
    m_window = m_process->WaitForWindow(title.c_str(), 30000);
}

StandInImager::~StandInImager() {
    if (m_window)
        PostMessageA(m_window, WM_CLOSE, 0, 0);
    m_process->WaitForExit(10000);
}

std::vector<ImagerEvent> StandInImager::Messages() const {
    std::vector<ImagerEvent> messages;
    for (const ImagerEvent& event : Events())
        if (event.IsMessage())
            messages.push_back(event);
    return messages;
}

std::vector<ImagerEvent> StandInImager::WaitForMessages(size_t count, DWORD timeoutMs) const {
    return WaitForRecords<ImagerEvent>(m_log, [this] { return Messages(); },
                                       [count](const auto& m) { return m.size() >= count; },
                                       timeoutMs);
}

POINT PointOfLParam(unsigned long long lParam) {
    const auto value = static_cast<DWORD>(lParam);
    return {static_cast<short>(LOWORD(value)), static_cast<short>(HIWORD(value))};
}

CursorView StandInImager::CursorAsItSeesIt(int id) const {
    constexpr UINT kWhereIsTheCursor = WM_APP + 0x103;
    auto answers = [](const std::vector<ImagerEvent>& events) {
        std::vector<ImagerEvent> cursor;
        for (const ImagerEvent& event : events)
            if (event.event == "cursor")
                cursor.push_back(event);
        return cursor;
    };
    const size_t before = answers(Events()).size();
    CursorView view;
    if (!PostMessageA(m_window, kWhereIsTheCursor, static_cast<WPARAM>(id), 0))
        return view;
    const std::vector<ImagerEvent> told = answers(WaitForRecords<ImagerEvent>(
        m_log, [this] { return Events(); },
        [&](const std::vector<ImagerEvent>& events) { return answers(events).size() > before; }));
    if (told.size() <= before)
        return view;
    const ImagerEvent& answer = told.back();
    long x = 0, y = 0, width = 0, height = 0;
    view.told = std::sscanf(answer.wParam.c_str(), "%ld,%ld", &x, &y) == 2 &&
                std::sscanf(answer.lParam.c_str(), "%ldx%ld", &width, &height) == 2;
    view.receiver = answer.receiver;
    view.point = {x, y};
    view.client = {width, height};
    return view;
}
