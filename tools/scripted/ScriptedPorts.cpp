#include "tools/scripted/ScriptedPorts.h"

#include <algorithm>
#include <cstring>

#include "core/Calendar.h"

namespace velkaro {

InterfaceRow MakeRow(const std::string& name, std::uint64_t in, std::uint64_t out, std::uint64_t key) {
    InterfaceRow row;
    const std::size_t n = std::min<std::size_t>(name.size(), row.bDescr.size());
    std::memcpy(row.bDescr.data(), name.data(), n);
    row.dwDescrLen = static_cast<std::uint32_t>(n);
    row.key = key;
    row.inOctets = in;
    row.outOctets = out;
    return row;
}

bool ScriptedInterfaceTable::GetIfTable(std::vector<InterfaceRow>& out) {
    ++calls;
    if (failNext) {
        failNext = false;
        return false;
    }
    out = std::move(rows);
    rows.clear();
    for (std::size_t i = 0; i < out.size(); ++i)
        if (out[i].key == kKeyByPlace) out[i].key = i;
    return true;
}

std::uint64_t FixedClock::MonotonicMs() {
    if (secondOfDay >= 0 && ++secondOfDay == kSecondsPerDay) {
        secondOfDay = 0;
        today = DateOfDayNumber(DayNumber(today) + 1);
    }
    return nowMs += 1000;
}

std::int64_t FixedClock::UptimeSeconds() {
    if (uptime) return *uptime;
    return DayNumber(today) * kSecondsPerDay + SecondOfDay() - systemStart;
}

void ScriptedDialogs::ShowMessage(const std::string& text) {
    messages.push_back(text);
    log.push_back("message: " + text);
    if (onMessage) onMessage(text);
}

bool ScriptedDialogs::AskYesNo(const std::string& text) {
    questions.push_back(text);
    log.push_back("question: " + text);
    if (onMessage) onMessage(text);
    if (answers.empty()) return true;
    const bool yes = answers.front().has_value();
    answers.pop_front();
    return yes;
}

std::optional<std::string> ScriptedDialogs::InputBox(const std::string&, const std::string& prompt,
                                                     const std::string& defaultText) {
    prompts.push_back(prompt);
    defaults.push_back(defaultText);
    if (answers.empty()) return std::nullopt;
    std::optional<std::string> a = std::move(answers.front());
    answers.pop_front();
    return a;
}

void ScriptedDialogs::ShowError(const std::string& text) {
    errors.push_back(text);
    log.push_back("error: " + text);
}

std::intptr_t ScriptedShell::Open(const std::string& target) {
    opened.push_back(target);
    return result;
}

std::intptr_t ScriptedShell::OpenProgramFile(const std::string& name) {
    opened.push_back(folderName + name);
    return result;
}

bool ScriptedShell::ProgramFileExists(const std::string& name) {
    auto it = existing.find(name);
    return it != existing.end() && it->second;
}

int MemoryFileStore::ReadAll(const std::string& name, std::string& bytes) {
    if (onCall) onCall("read", name);
    if (auto e = readError.find(name); e != readError.end()) return e->second;
    auto it = files.find(name);
    if (it == files.end()) return kIoFileNotFound;
    bytes = it->second;
    return kIoOk;
}

int MemoryFileStore::ReplaceAll(const std::string& name, const std::string& bytes) {
    if (onCall) onCall("write", name);
    if (auto e = writeError.find(name); e != writeError.end()) return e->second;
    files[name] = bytes;
    ++writes;
    return kIoOk;
}

int MemoryFileStore::WriteAll(const std::string& name, const std::string& bytes) {
    if (onCall) onCall("write", name);
    if (auto e = writeError.find(name); e != writeError.end()) return e->second;
    files[name] = bytes;
    ++writes;
    return kIoOk;
}

bool MemoryFileStore::Delete(const std::string& name) {
    if (onCall) onCall("delete", name);
    if (undeletable[name]) return false;
    return files.erase(name) > 0;
}

namespace {
void Tell(const FileNotes& notes, ScriptedFilePorts& ports) {
    if (notes.windowWidth) ports.window.SetOuterWidth(*notes.windowWidth);
    for (const std::string& text : notes.messages) ports.dialogs.ShowMessage(text);
}
}  // namespace

void LoadFiles(Accounting& a, DataFiles& data, ScriptedFilePorts& ports) {
    Tell(::velkaro::LoadFiles(a, data, static_cast<FilePorts&>(ports)), ports);
}

std::vector<UnreadFile> SaveFiles(Accounting& a, DataFiles& data, ScriptedFilePorts& ports) {
    SaveOutcome saved = ::velkaro::SaveFiles(a, data, static_cast<FilePorts&>(ports), ports.window.OuterWidth());
    Tell(saved.notes, ports);
    return std::move(saved.unread);
}

}  // namespace velkaro
