// Corvinet, the line recorder: entry, start-up, the main loop with its
// 500 ms tick, and the shutdown. The windows, the recording pass and the
// phone book live in their own files; this one wires them together and
// keeps the order of the work.
#include <windows.h>
#include <mmsystem.h>
#include <objbase.h>

#include <atomic>
#include <memory>
#include <string>

#include "ui/warning_bar_window.h"
#include "capture_win32.h"
#include "clock.h"
#include "common/file_layer.h"
#include "input_device.h"
#include "phonebook/info_board.h"
#include "phonebook/info_board_window.h"
#include "input_device_win32.h"
#include "leftover_recovery.h"
#include "ui/main_window.h"
#include "phonebook/phone_book.h"
#include "recorder_tick.h"
#include "recording_pass.h"
#include "common/settings_file.h"
#include "common/settings_record.h"
#include "ui/warning_volume_win32.h"
#include "common/win32_text.h"
#include "common/window_win32.h"

namespace suite {
namespace {

const COLORREF kBackground = RGB(200, 200, 200);
const char kBrowserClass[] = "CDialog";
const char kRecoveredCaption[] = "中断された録音";
const char kSaveFailedCaption[] = "保存エラー";

// Everything the user-interface thread owns for the whole run.
struct Program {
    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    int displayMode = kDisplayDesktop;
    SettingsRecord settings;
    std::string deviceName;   // working copy of input_device_name
    std::string workFolder;   // working copy of work_folder
    NumberOutputTarget numberOutput;

    RecorderShared shared;
    LineCapture capture;
    SystemClock clock;
    MainWindowNumberField numberField;
    std::unique_ptr<RecordingPass> pass;
    RecorderTick tick{shared};
    std::unique_ptr<OutputVolumeControls> volumeControls;
    std::unique_ptr<WarningAlarm> alarm;
    std::unique_ptr<Win32ConnectionLine> line;
    std::unique_ptr<ConnectionCheck> connection;
    MessageBoxPhoneBookMessages bookMessages;
    PhoneBook book{bookMessages};
    GdiObject<HFONT> smallFont;  // 14 x 7, the call board's buttons
    std::unique_ptr<InfoBoardWindow> boardWindow;
    std::unique_ptr<InfoBoard> board;

    std::atomic<bool> tickFlag{false};
    int phoneBookRequest = 0;  // 1 asked for, 2 the list is open
    int browserRequest = 0;
    HANDLE recordingThread = nullptr;
};

class ProgramHost : public MainWindowHost {
public:
    explicit ProgramHost(Program* p) : p_(p) {}
    void OnTimerTick() override { p_->tickFlag.store(true); }
    void OnWaveInData(WAVEHDR* header) override { p_->capture.OnBufferDone(header); }
    void OnPowerEvent() override {
        if (p_->connection) {
            p_->connection->PowerEvent();
        } else {
            p_->shared.MuteBuffers.store(kMuteBuffersAtStart);
        }
    }
    void OnPhoneBookButton() override {
        if (p_->phoneBookRequest == 0) p_->phoneBookRequest = 1;
    }
    void OnBrowserButton() override { p_->browserRequest = 1; }
    bool InfoBoardOpen() override { return p_->board && p_->board->IsOpen(); }

private:
    Program* p_;
};

DWORD WINAPI RecordingThread(LPVOID parameter) {
    auto* p = static_cast<Program*>(parameter);
    p->pass->RunUntilStopped(p->capture);
    return 0;
}

void RegisterBrowserClass(HINSTANCE instance, HBRUSH background) {
    std::u16string name = SjisToUtf16(kBrowserClass);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(100));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.lpszClassName = AsWide(name);
    RegisterClassExW(&wc);
}

// Start-up step 4: a missing work folder is asked about; false ends the program.
bool ConfirmWorkFolder(Program& p) {
    p.workFolder = p.settings.GetText(SettingsRecord::kWorkFolder, SettingsRecord::kPathSize);
    if (IsFolder(p.workFolder)) return true;
    if (!AskResetMissingWorkFolder(p.workFolder)) return false;
    p.workFolder = kWorkFolderName;
    return true;
}

// Start-up steps 5 and 6: values derived from the settings.
void DeriveWorkingValues(Program& p) {
    SettingsRecord& s = p.settings;
    uint8_t choice = s.folder_choice() < SettingsRecord::kFolderSlots ? s.folder_choice() : 0;
    s.SetText(SettingsRecord::kRecordFolder, SettingsRecord::kPathSize,
              s.GetText(SettingsRecord::kFolderList + SettingsRecord::kFolderSlotSize * choice,
                        SettingsRecord::kFolderSlotSize));
    p.numberOutput = NumberOutputFromSetting(s.GetText(SettingsRecord::kNumberOutputPath, SettingsRecord::kPathSize));
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

// One tick, every 500 ms, in its fixed order.
void RunTick(Program& p) {
    // 1. Information board upkeep.
    p.board->Upkeep();
    // 2. Number hand-over; the board decides about itself by its mode.
    if (p.tick.TakeClearNumberField()) ClearNumberField();
    if (p.shared.NumberReady.load() != 0) {
        HandOver h = p.tick.HandOverNumber(p.book.IsOpen() ? &p.book : nullptr, p.numberOutput,
                                           p.settings.info_board_mode(), p.board->IsOpen());
        if (h.showNumber) SetNumberField(h.fieldText);
        if (h.lookedUp && p.book.IsOpen()) p.board->HandOver(h.boardNumber, h.request);
    }
    // 3. Phone book deletion and board save requests.
    p.board->ProcessRequests();
    // 4. Connection check.
    p.connection->Tick();
    // 5. Warning bar.
    AlertPopupTick(p.mainWindow, p.alarm.get(), p.pass->Saver().SavedToEmergency());
    ShowSaveFailure(p);
    // 6. Level meter, tray, screen-off, display mode.
    MainWindowTick(p.mainWindow);
    // 7. Silence countdown.
    p.tick.SilenceCountdownStep();
    // 8. Threshold repaint and status word.
    MainWindowStatusTick(p.mainWindow, p.connection->Fault());
    // 9 and 10: the phone book list and the browser keep their requests
    // until those windows exist.
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

void Shutdown(Program& p) {
    EndDisplayMode(p.mainWindow);
    // Drop an open recording (no file, no TMP.tmp); no later pass opens one.
    p.pass->SaveAtExit();
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
    p.board->Close();
    p.book.ClosePhoneBook();

    SettingsRecord& s = p.settings;
    s.set_auto_start_level(static_cast<uint32_t>(p.shared.LevelThreshold.load()));
    s.SetText(SettingsRecord::kWorkFolder, SettingsRecord::kPathSize, p.workFolder);
    s.SetText(SettingsRecord::kInputDeviceName, SettingsRecord::kDeviceNameSize, p.deviceName);
    SaveSettingsOnExit(kSettingsFilePath, s);

    // Core Audio and the board's window go on this thread, while COM and the
    // window still exist: released by the exit's destructors they crashed
    // the process now and then.
    p.connection.reset();
    p.line.reset();
    p.alarm.reset();
    p.volumeControls.reset();
    p.board.reset();
    p.boardWindow.reset();
}

void RunMainLoop(Program& p) {
    if (!RegisterInfoBoardClass(p.instance) || !RegisterAlertPopupClass(p.instance)) return;

    LoadSettingsImage(kSettingsFilePath, p.settings.data(), SettingsRecord::kSize);
    p.deviceName = p.settings.GetText(SettingsRecord::kInputDeviceName, SettingsRecord::kDeviceNameSize);

    Win32InputDevices devices(p.instance, p.mainWindow, &p.capture, p.displayMode == kDisplayDesktop);
    if (!OpenInputDevice(&devices, &p.settings, &p.deviceName, kSettingsFilePath)) return;
    if (!ConfirmWorkFolder(p)) {
        p.capture.Shutdown();
        return;
    }
    DeriveWorkingValues(p);

    StartDisplayMode(p.mainWindow);
    p.volumeControls = CreateCoreAudioOutputControls();
    p.alarm = std::make_unique<WarningAlarm>(p.instance, *p.volumeControls, p.settings.warning_volume());
    p.line = std::make_unique<Win32ConnectionLine>(&p.capture, p.alarm.get());
    p.connection = std::make_unique<ConnectionCheck>(p.line.get(), &p.shared, p.settings.input_device_count());
    p.shared.SilenceCountdown.store(0);
    p.shared.RecordedBytes.store(kNoRecordingBytes);
    p.shared.NumberReady.store(0);
    p.shared.ConfirmedNumber.Clear();
    p.shared.MuteBuffers.store(kMuteBuffersAtStart);
    p.shared.BuffersSeen.store(0);
    p.book.OpenPhoneBook(p.workFolder);
    p.smallFont.Reset(CreateGothicFont(14, 7));
    p.boardWindow = std::make_unique<InfoBoardWindow>(p.instance, p.mainWindow, p.smallFont.get());
    p.board = std::make_unique<InfoBoard>(p.settings, p.book, *p.boardWindow);
    p.boardWindow->Attach(p.board.get());

    RecoverLeftover(p);
    p.pass = std::make_unique<RecordingPass>(p.shared, LinePassConfig(&p.settings), p.clock, &p.numberField);
    p.pass->PrimeDecoders([] { Sleep(100); });

    timeBeginPeriod(1);
    p.recordingThread = CreateThread(nullptr, 0, RecordingThread, &p, 0, nullptr);
    p.capture.Start(500);

    while (TakeOneMessage()) {
        if (!p.tickFlag.exchange(false)) continue;
        RunTick(p);
    }
    Shutdown(p);
}

int RunCorvinet(HINSTANCE instance) {
    // Large, so off the stack; never destroyed, since a recording thread
    // that did not end at exit may still use it.
    static Program& program = *new Program;
    Program& p = program;
    p.instance = instance;

    LoadOutcome outcome = LoadLineSettings(kSettingsFilePath, CurrentWorkArea(), &p.settings);
    if (outcome == LoadOutcome::Empty) return 0;

    const std::string title =
        MainWindowTitle(p.settings.GetText(SettingsRecord::kInputDeviceName, SettingsRecord::kDeviceNameSize));
    GdiObject<HBRUSH> background(CreateSolidBrush(kBackground));
    if (!RegisterMainWindowClass(instance, title, background.get())) return 0;
    RegisterBrowserClass(instance, background.get());

    p.displayMode = p.settings.start_place() <= kDisplayTray ? static_cast<int>(p.settings.start_place())
                                                             : static_cast<int>(kDisplayDesktop);
    ProgramHost host(&p);
    MainWindowConfig config;
    config.instance = instance;
    config.shared = &p.shared;
    config.settings = &p.settings;
    config.host = &host;
    config.displayMode = p.displayMode;
    config.lineRecorder = true;
    p.mainWindow = CreateMainWindow(config, title);
    if (!p.mainWindow) return 0;

    RunMainLoop(p);
    if (IsWindow(p.mainWindow)) DestroyWindow(p.mainWindow);
    return 0;
}

}  // namespace
}  // namespace suite

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return suite::RunCorvinet(instance); }
