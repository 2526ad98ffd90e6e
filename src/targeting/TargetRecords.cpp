#include "TargetRecords.h"

#include <cctype>
#include <climits>

int LeadingInteger(const char* text) {
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\v' || *text == '\f' ||
           *text == '\r')
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    long long value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*text)); ++text) {
        value = value * 10 + (*text - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1; // saturate, keep reading digits
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    return static_cast<int>(value);
}

namespace {

// The fields of a ";"-separated text.
std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == ';')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

} // namespace

WindowDescription ParseWindowDescription(const std::string& record) {
    WindowDescription description;
    const size_t first = record.find(';');
    if (first == std::string::npos)
        return description;
    const size_t second = record.find(';', first + 1);
    if (second == std::string::npos)
        return description;
    description.present = true;
    description.refWidth = LeadingInteger(record.c_str());
    description.refHeight = LeadingInteger(record.c_str() + first + 1);
    const std::string identity = record.substr(second + 1);
    const size_t tab = identity.find('\t');
    description.className = identity.substr(0, tab);
    if (tab != std::string::npos) {
        const size_t nextTab = identity.find('\t', tab + 1);
        description.title = identity.substr(tab + 1, nextTab == std::string::npos
                                                         ? std::string::npos
                                                         : nextTab - tab - 1);
    }
    return description;
}

std::string FormatWindowDescription(int refWidth, int refHeight, const std::string& className,
                                    const std::string& title) {
    return std::to_string(refWidth) + ";" + std::to_string(refHeight) + ";" + className + "\t" +
           title;
}

TargetPath ParseTargetPath(const std::string& text) {
    TargetPath path;
    const std::vector<std::string> fields = SplitFields(text);
    const size_t separators = fields.size() - 1;
    if (text.empty() || separators == 0)
        return path;
    path.hasPoint = true;
    path.x = LeadingInteger(fields[separators - 1].c_str());
    path.y = LeadingInteger(fields[separators].c_str());
    for (size_t i = 0; i + 1 < separators; ++i)
        path.indices.push_back(LeadingInteger(fields[i].c_str()));
    return path;
}

std::string FormatTargetPath(const std::vector<int>& indices, int x, int y) {
    std::string text;
    for (int index : indices)
        text += std::to_string(index) + ";";
    return text + std::to_string(x) + ";" + std::to_string(y);
}

std::string FormatControlIdentity(const ControlIdentity& identity, size_t maxLength) {
    if (!identity.IsKnown())
        return std::string();
    std::string record = std::to_string(identity.id) + ";" + std::to_string(identity.offsetX) +
                         ";" + std::to_string(identity.offsetY) + ";" + identity.className + "\t";
    if (record.size() < maxLength)
        record += identity.text.substr(0, maxLength - record.size());
    return record;
}

ControlIdentity ParseControlIdentity(const std::string& record) {
    ControlIdentity identity;
    const std::vector<std::string> fields = SplitFields(record.substr(0, record.find('\t')));
    const size_t tab = record.find('\t');
    if (fields.size() < 4 || tab == std::string::npos)
        return identity;
    identity.id = LeadingInteger(fields[0].c_str());
    identity.offsetX = LeadingInteger(fields[1].c_str());
    identity.offsetY = LeadingInteger(fields[2].c_str());
    // The class is what follows the third ";", up to the TAB.
    size_t classStart = 0;
    for (int i = 0; i < 3; ++i)
        classStart = record.find(';', classStart) + 1;
    identity.className = record.substr(classStart, tab - classStart);
    identity.text = record.substr(tab + 1);
    return identity;
}
