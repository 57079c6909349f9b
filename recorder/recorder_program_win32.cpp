#include "recorder/recorder_program_win32.h"

#include <mmsystem.h>
#include <objbase.h>

#include <atomic>
#include <memory>

#include "browser/browser_window.h"
#include "recorder/capture_win32.h"
#include "recorder/clock.h"
#include "common/process_end_win32.h"
#include "common/settings_file.h"
#include "common/win32_text.h"
#include "common/window_win32.h"
#include "recorder/input_device.h"
#include "recorder/input_device_win32.h"
#include "recorder/leftover_recovery.h"
#include "ui/message_texts.h"
#include "recorder/unattended_win32.h"
#include "ui/main_window.h"
#include "ui/warning_bar_window.h"
#include "ui/warning_volume_win32.h"

namespace suite {
namespace {

const COLORREF kBackground = RGB(200, 200, 200);
const char kBrowserClass[] = "CDialog";
const char kRecoveredCaption[] = "中断された録音";
const char kSaveFailedCaption[] = "保存エラー";
const char kStartErrorCaption[] = "起動エラー";
const char kAlreadyRunningMessage[] =
    "この録音アプリはすでに起動しています。\n"
    "同じ一時ファイルと電話帳に二重に書き込まないよう、この起動は終了します。";
// How long the end of the program waits for the browser to close.
const DWORD kBrowserCloseMs = 3000;

// Everything the user-interface thread owns for the whole run.
struct Program {
    explicit Program(RecorderVariant& v) : variant(v) {}

    RecorderVariant& variant;
    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    int displayMode = kDisplayDesktop;
    std::string deviceName;  // working copy of input_device_name

    RecorderShared shared;
    LineCapture capture;
    SystemClock clock;
    MainWindowNumberField numberField{&shared};
    std::unique_ptr<RecordingPass> pass;
    RecorderTick tick{shared};
    std::unique_ptr<OutputVolumeControls> volumeControls;
    std::unique_ptr<WarningAlarm> alarm;
    std::unique_ptr<WarningBar> warningBar;
    std::unique_ptr<Win32ConnectionLine> line;
    std::unique_ptr<ConnectionCheck> connection;
    ThreadSystemAwake systemAwake;
    PowerWatch power{&systemAwake};
    std::unique_ptr<FreeSpaceWatch> room;
    RoomProbe roomProbe;
    bool lowSpaceShown = false;  // the bar tells of low room
    RunEntry runEntry;           // the window menu's start-with-Windows item

    bool settingsWereEmpty = false;  // told once on the warning bar

    std::atomic<bool> tickFlag{false};
    int browserRequest = 0;
    std::unique_ptr<BrowserThread> browser;
    HANDLE recordingThread = nullptr;
};

class ProgramHost : public MainWindowHost {
public:
    explicit ProgramHost(Program* p) : p_(p) {}
    void OnTimerTick() override { p_->tickFlag.store(true); }
    void OnWaveInData(WAVEHDR* header) override { p_->capture.OnBufferDone(header); }
    void OnPowerEvent(bool resumed) override;
    void OnPhoneBookButton() override { p_->variant.OnPhoneBookButton(); }
    void OnBrowserButton() override { p_->browserRequest = 1; }
    bool InfoBoardOpen() override { return p_->variant.InfoBoardOpen(); }
    void OnEndSession() override;
    void OnClosing() override;

private:
    Program* p_;
};

// One running copy per program: a second one (autostart plus a double
// click) would write the same temporary recording and phone book. The first
// copy keeps a named mapping holding its main window for the whole run; a
// second start finds it, says so, brings that window forward and ends.
class RunningCopy {
public:
    // False when another copy of the program runs.
    bool Claim(const char* programName) {
        std::u16string name = SjisToUtf16(std::string("CallRecorderSuite.") + programName + ".Running");
        mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(uint64_t),
                                      AsWide(name));
        first_ = mapping_ != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
        if (mapping_) view_ = static_cast<volatile uint64_t*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 0));
        // Without a mapping at all nothing can be told apart: run.
        return first_ || mapping_ == nullptr;
    }
    void Publish(HWND mainWindow) {
        if (view_) *view_ = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(mainWindow));
    }
    void RaiseRunningCopy() const {
        HWND running = view_ ? reinterpret_cast<HWND>(static_cast<uintptr_t>(*view_)) : nullptr;
        if (!running || !IsWindow(running) || !IsWindowVisible(running)) return;  // in the tray
        if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
        SetForegroundWindow(running);
    }

private:
    HANDLE mapping_ = nullptr;  // kept until the process ends
    volatile uint64_t* view_ = nullptr;
    bool first_ = false;
};

DWORD WINAPI RecordingThread(LPVOID parameter) {
    auto* p = static_cast<Program*>(parameter);
    p->pass->RunUntilStopped(p->capture);
    return 0;
}

bool RegisterBrowserClass(HINSTANCE instance, HBRUSH background) {
    std::u16string name = SjisToUtf16(kBrowserClass);
    return RegisterSuiteWindowClass(instance, SuiteWindowClass{AsWide(name), BrowserWindowProc, background});
}

// Start-up step 5: the record folder and the shared words from the settings.
void DeriveWorkingValues(Program& p) {
    RecorderSettings& s = p.variant.Settings();
    s.record_folder().Set(s.ChosenFolder());
    p.variant.DeriveWorkingValues();
    p.shared.RecorderCommand.store(s.start_state() ? kCommandAutomatic : kCommandStop);
    p.shared.RecorderMode.store(kCommandStop);
    uint32_t level = s.auto_start_level();
    p.shared.LevelThreshold.store(static_cast<int32_t>(level > 127 ? 127 : level));
}

// A recording left behind by a crash would be overwritten by the next one.
void RecoverLeftover(Program& p) {
    std::string path;
    if (!RecoverLeftoverRecording(p.clock, &path)) return;
    std::string text = std::string(kRecoveredMessage) + path;
    ShowMessage(p.mainWindow, text.c_str(), kRecoveredCaption, MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
}

void ShowSaveFailure(Program& p) {
    if (!p.pass->Saver().SaveFailed().exchange(0)) return;
    ShowMessage(nullptr, kSaveFailedMessage, kSaveFailedCaption, MB_OK | MB_ICONERROR | MB_TOPMOST);
}

// Only after a call: while a recording is open the press is dropped. A
// browser already open ignores it.
void OpenBrowser(Program& p) {
    const std::string folder = p.pass->RecordingPath();
    if (folder.empty() || p.shared.RecordedBytes.load() != kNoRecordingBytes) return;
    p.browser->Start(folder, p.pass->LastSavedName());
}

// The browser writes settings bytes and plays sound until it has ended:
// it goes first when the program ends.
void CloseBrowser(Program& p) {
    if (p.browser) p.browser->Close(kBrowserCloseMs);
}

// Seconds of a clock that only goes forward.
int64_t SteadySeconds() { return static_cast<int64_t>(GetTickCount64() / 1000); }

void ProgramHost::OnPowerEvent(bool resumed) {
    if (p_->connection) {
        p_->connection->PowerEvent();
    } else {
        p_->shared.MuteBuffers.store(kMuteBuffersAtStart);
    }
    if (!resumed) {
        p_->power.OnSuspend();
    } else if (p_->power.OnResume(SteadySeconds()) && p_->warningBar) {
        p_->warningBar->Post(BarWarning::Resume, kResumeBarLine1, kResumeBarLine2);
    }
}

// Tick step 5, before the bar: the drives' room, asked every few minutes
// on the probe's thread, and the close of a low-room bar.
void WatchRoom(Program& p) {
    const int64_t now = SteadySeconds();
    FolderRoom record, emergency, low;
    if (p.roomProbe.Take(&record, &emergency) && p.room->OnReading(now, record, emergency, &low))
        p.warningBar->Post(BarWarning::LowSpace, LowSpaceBarLine1(low.freeBytes), LowSpaceBarLine2(low.folder));
    if (p.room->TimeToMeasure(now)) {
        RecorderSettings& s = p.variant.Settings();
        p.roomProbe.Ask(s.record_folder().Get(), kEmergencyFolder);
    }
    bool shown = p.warningBar->Showing() == BarWarning::LowSpace;
    if (p.lowSpaceShown && !shown) p.room->OnClosed(now);
    p.lowSpaceShown = shown;
}

// One tick, every 500 ms, in its fixed order.
void RunTick(Program& p) {
    // 1 to 3. Information board upkeep, number hand-over, phone book requests.
    p.variant.TickBeforeConnection(p.tick, p.numberField);
    // 4. Connection check.
    p.connection->Tick();
    // 5. Warning bar.
    WatchRoom(p);
    p.warningBar->Tick(p.pass->Saver().SavedToEmergency(), p.pass->Saver().DiskFull());
    ShowSaveFailure(p);
    // 6. Level meter, tray, screen-off, display mode.
    MainWindowTick(p.mainWindow);
    // 7. Silence countdown.
    p.tick.SilenceCountdownStep();
    // 8. Threshold repaint and status word.
    MainWindowStatusTick(p.mainWindow, p.connection->Fault());
    if (!p.variant.IsLineRecorder()) p.pass->MarkRecordingInField();
    // 9. Phone book list.
    p.variant.TickPhoneBookList();
    // 10. The browser: a press is taken at this tick or dropped.
    if (p.browserRequest != 0) {
        p.browserRequest = 0;
        OpenBrowser(p);
    }
}

// Waits for the next message without spinning: the same messages in the
// same order as a 1 ms poll, one at a time. False at WM_QUIT.
bool TakeOneMessage() {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return true;
    }
    if (msg.message == WM_QUIT) return false;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

// Shutdown step 6: the fields the recorder writes back, then bytes 0..692.
void WriteSettingsOnExit(Program& p) {
    RecorderSettings& s = p.variant.Settings();
    s.set_auto_start_level(static_cast<uint32_t>(p.shared.LevelThreshold.load()));
    s.input_device_name().Set(p.deviceName);
    p.variant.StoreExitFields();
    SaveRecorderSettingsOnExit(kSettingsFilePath, s);
}

// Windows ends the session: the process may be ended as soon as the window
// procedure returns, so the call so far is saved and the settings written
// now (the Ogg finish takes milliseconds; the wait for a pass is bounded).
void ProgramHost::OnEndSession() {
    if (!p_->pass) return;
    CloseBrowser(*p_);
    p_->pass->SaveAtExit(&p_->capture);
    WriteSettingsOnExit(*p_);
}

// The browser goes first, then the call is saved while the capture still
// reports to the window.
void ProgramHost::OnClosing() {
    CloseBrowser(*p_);
    if (p_->pass) p_->pass->SaveAtExit(&p_->capture);
}

void Shutdown(Program& p) {
    CloseBrowser(p);
    // Save an open recording as "録音中止+保存" would, with the number known
    // by now, up to the last block captured; no later pass opens one.
    p.pass->SaveAtExit(&p.capture);
    p.capture.Stop();
    bool threadEnded = true;
    if (p.recordingThread) {
        threadEnded = WaitForSingleObject(p.recordingThread, 5000) == WAIT_OBJECT_0;
        CloseHandle(p.recordingThread);
        p.recordingThread = nullptr;
    }
    timeEndPeriod(1);
    // Buffers a stuck thread might still read stay until the process ends.
    if (threadEnded) {
        p.capture.Shutdown();
    } else {
        p.capture.CloseDevice();
    }
    // A warning still sounding (lost line, warning bar) gives the user's
    // volume back before the program goes.
    p.connection->Shutdown();
    while (p.alarm->Sounding()) p.alarm->End();
    p.variant.CloseParts();

    WriteSettingsOnExit(p);

    // Core Audio and the windows go on this thread, while COM and the
    // windows still exist: released by the exit's destructors they crashed
    // the process now and then.
    p.connection.reset();
    p.line.reset();
    p.warningBar.reset();
    p.alarm.reset();
    p.volumeControls.reset();
    p.power.End();
}

void RunMainLoop(Program& p) {
    if (!p.variant.RegisterClasses(p.instance) || !RegisterWarningBarClass(p.instance)) return;

    RecorderSettings& settings = p.variant.Settings();
    LoadSettingsImage(kSettingsFilePath, settings.data(), settings.size());
    p.deviceName = settings.input_device_name().Get();

    Win32InputDevices devices(p.instance, p.mainWindow, &p.capture, p.displayMode == kDisplayDesktop);
    if (!OpenInputDevice(&devices, &settings, &p.deviceName, kSettingsFilePath)) return;
    if (!p.variant.ConfirmWorkFolder()) {
        p.capture.Shutdown();
        return;
    }
    DeriveWorkingValues(p);

    StartDisplayMode(p.mainWindow);
    p.volumeControls = CreateCoreAudioOutputControls();
    p.alarm = std::make_unique<WarningAlarm>(p.instance, *p.volumeControls, settings.warning_volume());
    p.warningBar = std::make_unique<WarningBar>(p.mainWindow, p.alarm.get(), p.variant.BarLayout());
    if (p.settingsWereEmpty) p.warningBar->Raise(BarWarning::SettingsReset, kSettingsResetBarText, "");
    p.line = std::make_unique<Win32ConnectionLine>(&p.capture, p.alarm.get());
    p.connection = std::make_unique<ConnectionCheck>(p.line.get(), &p.shared, settings.input_device_count());
    p.room = std::make_unique<FreeSpaceWatch>(settings.recording_format());
    p.shared.SilenceCountdown.store(0);
    p.shared.RecordedBytes.store(kNoRecordingBytes);
    p.shared.NumberReady.store(0);
    p.shared.ConfirmedNumber.Clear();
    p.shared.MuteBuffers.store(kMuteBuffersAtStart);
    p.shared.BuffersSeen.store(0);
    p.variant.StartParts(p.instance, p.mainWindow, p.shared);

    RecoverLeftover(p);
    p.pass = std::make_unique<RecordingPass>(p.shared, p.variant.MakePassConfig(), p.clock, &p.numberField);
    if (p.variant.PrimesDecoders()) p.pass->PrimeDecoders([] { Sleep(100); });

    timeBeginPeriod(1);
    // Calls come at any hour: no sleep while the recorder listens.
    p.power.Start();
    p.recordingThread = CreateThread(nullptr, 0, RecordingThread, &p, 0, nullptr);
    p.capture.Start(500);

    while (TakeOneMessage()) {
        if (!p.tickFlag.exchange(false)) continue;
        RunTick(p);
    }
    Shutdown(p);
}

}  // namespace

int RunRecorder(HINSTANCE instance, RecorderVariant& variant) {
    // Large, so off the stack; never destroyed, since a recording thread
    // that did not end at exit may still use it.
    Program& p = *new Program(variant);
    p.instance = instance;

    static RunningCopy runningCopy;
    if (!runningCopy.Claim(variant.ProgramName())) {
        ShowMessage(nullptr, kAlreadyRunningMessage, kStartErrorCaption, MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
        runningCopy.RaiseRunningCopy();
        return 0;
    }

    p.settingsWereEmpty = variant.LoadSettings(CurrentWorkArea()) == LoadOutcome::Empty;
    RecorderSettings& settings = variant.Settings();

    const std::string title =
        MainWindowTitle(settings.input_device_name().Get());
    GdiObject<HBRUSH> background(CreateSolidBrush(kBackground));
    if (!RegisterMainWindowClass(instance, title, background.get()) || !RegisterBrowserClass(instance, background.get()))
        return 0;

    p.displayMode = settings.start_place() <= kDisplayTray ? static_cast<int>(settings.start_place())
                                                           : static_cast<int>(kDisplayDesktop);
    ProgramHost host(&p);
    MainWindowConfig config;
    config.instance = instance;
    config.shared = &p.shared;
    config.settings = &settings;
    config.host = &host;
    config.displayMode = p.displayMode;
    config.lineRecorder = variant.IsLineRecorder();
    if (const char16_t* runName = variant.RunEntryName()) {
        p.runEntry = RunEntry{runName, ThisProgramPath()};
        config.startWithWindows = &p.runEntry;
    }
    p.mainWindow = CreateMainWindow(config, title);
    if (!p.mainWindow) return 0;
    p.numberField.Attach(p.mainWindow);
    runningCopy.Publish(p.mainWindow);
    BrowserConfig browser;
    browser.instance = instance;
    browser.settings = &settings;
    browser.settingsPath = kSettingsFilePath;
    browser.chooserTitle = variant.BrowserChooserTitle();
    browser.mainWindow = p.mainWindow;
    p.browser = std::make_unique<BrowserThread>(browser);

    RunMainLoop(p);
    p.numberField.Attach(nullptr);
    if (IsWindow(p.mainWindow)) DestroyWindow(p.mainWindow);
    // The process is ended from outside the runtime: nothing would give
    // the request back.
    p.power.End();
    // The call is saved, the settings written, every device and file closed.
    EndProcessAfterCleanUp(0);
}

}  // namespace suite
