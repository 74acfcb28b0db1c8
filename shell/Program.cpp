#include "shell/Program.h"

#include "win/Form1Window.h"
#include "shell/TrayIcon.h"

namespace velkaro::shell {

int InstanceFileStore::ReadAll(const std::string& name, std::string& bytes) {
    return inner_.ReadAll(name, bytes);
}

int InstanceFileStore::ReplaceAll(const std::string& name, const std::string& bytes) {
    if (writesBlocked) {
        ++blockedWrites;
        return kIoOk;
    }
    return inner_.ReplaceAll(name, bytes);
}

int InstanceFileStore::WriteAll(const std::string& name, const std::string& bytes) {
    if (writesBlocked) {
        ++blockedWrites;
        return kIoOk;
    }
    return inner_.WriteAll(name, bytes);
}

bool InstanceFileStore::Delete(const std::string& name) {
    if (writesBlocked) {
        ++blockedWrites;
        return false;
    }
    return inner_.Delete(name);
}

// TForm2's view of the statistics window.
class Program::Link : public StatisticsLink {
public:
    explicit Link(win::Form1Window& w) : w_(w) {}
    void Save() override { w_.Form().ost(); }
    void ShowStatistics() override {
        w_.Show();
        ::SetWindowPos(w_.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ::SetForegroundWindow(w_.Handle());
    }
    bool QuickInfoShown() override { return w_.Form().QuickInfoShown; }

private:
    win::Form1Window& w_;
};

Program::Program(HINSTANCE instance, SystemPorts ports, ProgramOptions options)
    : app_(instance), files_(ports.files) {
    auto trace = [&options](const char* step) {
        if (options.trace) options.trace(step);
    };
    app_.SetTitle(options.title);
    app_.SetDialogs(&ports.dialogs);
    trace("title");

    QuickInfoOptions quick;
    quick.trace = options.trace;
    quick.configureGuard = options.configureGuard;
    quick.configureTray = options.configureTray;
    quick.autostart = options.autostart;
    form2_ = std::make_unique<TForm2>(app_, accounting_, quick);
    refused_ = form2_->OneInstance1->Terminate;
    files_.writesBlocked = refused_;

    trace("statistics");
    win::Form1Callbacks callbacks;
    callbacks.refreshQuickInfo = [this] { return form2_->RefreshQuickInfo(); };
    callbacks.showAbout = [this] {
        if (form3_) form3_->ShowAbout();
    };
    callbacks.endRequest = [this] { app_.EndRequest(); };
    // The tick's tip; the tray icon tells the shell only when it changed.
    callbacks.setTrayTip = [this](const std::string& tip) { form2_->TrayIcon1->SetHint(tip); };
    win::Form1Options form1Options;
    form1Options.systemTimer = options.systemTimer;
    // Owned by the application window like every form: no taskbar button of its own.
    form1Options.owner = app_.Handle();
    // The limits' warnings come as balloons from the tray icon.
    form1Options.notifier = form2_->TrayIcon1.get();
    form1_ = std::make_unique<win::Form1Window>(
        accounting_,
        SystemPorts{ports.ifTable, ports.clock, ports.regional, ports.dialogs, ports.shell, files_},
        callbacks, form1Options);
    link_ = std::make_unique<Link>(*form1_);
    form2_->AttachStatistics(link_.get());

    trace("about");
    form3_ = std::make_unique<TForm3>(app_);

    autosave_ = std::make_unique<Autosave>(
        [this] { form1_->Form().PeriodicSave(); },
        [this] {
            return !refused_ && accounting_.filesLoaded && !app_.EndRequested() &&
                   !form2_->SessionEndPending();
        },
        [this] { return form1_->Form().Busy(); },
        [this](const std::string& text) { app_.ShowError(text); });
    if (!refused_ && accounting_.filesLoaded) {
        autosave_->Start(options.autosaveIntervalMs);
        trace("autosave");
    }
}

Program::~Program() {
    // Reverse order of creation; the tray icon leaves with the quick-info window. No save.
    autosave_.reset();
    form3_.reset();
    if (form2_) form2_->AttachStatistics(nullptr);
    link_.reset();
    form1_.reset();
    form2_.reset();
}

}  // namespace velkaro::shell
