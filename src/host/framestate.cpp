#include "framestate.h"

#include <mmsystem.h>
#include <wtsapi32.h>

#include <initializer_list>

bool CFrameState::Paced = true;
bool CFrameState::HasArea = false;
bool CFrameState::DisplayOff = false;
bool CFrameState::Locked = false;
bool CFrameState::Disconnected = false;
bool CFrameState::Rested = false;
bool CFrameState::WebAddressRequested = false;

// The console's display: 0 off, 1 on, 2 dimmed (Windows 8 and later). Windows 7 knows only
// whether the monitor is on, 0 or 1; later systems send both, which agree on "off".
static const GUID ConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
static const GUID MonitorPowerOn = {
    0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

static HWND Registered = nullptr;
static HPOWERNOTIFY DisplayNotify = nullptr;
static HPOWERNOTIFY MonitorNotify = nullptr;
static bool ResolutionHeld = false;

bool CFrameState::Resting()
{
    return DisplayOff || Locked || Disconnected;
}

void CFrameState::Register(HWND window)
{
    if (Registered != nullptr) // one saver window a process
        return;
    Registered = window;
    DisplayNotify =
        RegisterPowerSettingNotification(window, &ConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
    MonitorNotify =
        RegisterPowerSettingNotification(window, &MonitorPowerOn, DEVICE_NOTIFY_WINDOW_HANDLE);
    WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION);
}

void CFrameState::Unregister(HWND window)
{
    if (Registered != window)
        return;
    for (HPOWERNOTIFY notify : {DisplayNotify, MonitorNotify})
        if (notify != nullptr)
            UnregisterPowerSettingNotification(notify);
    WTSUnRegisterSessionNotification(Registered);
    Registered = nullptr;
    DisplayNotify = MonitorNotify = nullptr;
}

static void Take_Display_State(const POWERBROADCAST_SETTING *setting)
{
    if (setting == nullptr || setting->DataLength < sizeof(DWORD) ||
        !(IsEqualGUID(setting->PowerSetting, ConsoleDisplayState) ||
          IsEqualGUID(setting->PowerSetting, MonitorPowerOn)))
        return;
    DWORD state = 0;
    CopyMemory(&state, setting->Data, sizeof(state));
    CFrameState::DisplayOff = state == 0;
}

static void Take_Session_Change(WPARAM change)
{
    switch (change)
    {
        case WTS_SESSION_LOCK:
            CFrameState::Locked = true;
            break;
        case WTS_SESSION_UNLOCK:
            CFrameState::Locked = false;
            break;
        // A session moves between the console and a remote client: disconnected from one, it
        // may connect to the other.
        case WTS_CONSOLE_DISCONNECT:
        case WTS_REMOTE_DISCONNECT:
            CFrameState::Disconnected = true;
            break;
        case WTS_CONSOLE_CONNECT:
        case WTS_REMOTE_CONNECT:
            CFrameState::Disconnected = false;
            break;
    }
}

bool CFrameState::Take_Notification(UINT message, WPARAM wparam, LPARAM lparam)
{
    const bool was_resting = Resting();
    if (message == WM_POWERBROADCAST && wparam == PBT_POWERSETTINGCHANGE)
        Take_Display_State(reinterpret_cast<const POWERBROADCAST_SETTING *>(lparam));
    else if (message == WM_WTSSESSION_CHANGE)
        Take_Session_Change(wparam);
    if (Resting() == was_resting)
        return false;
    Rested = Rested || !was_resting;
    return true;
}

bool CFrameState::Wait_For_Deadline(DWORD milliseconds)
{
    // Without QS_TIMER: a timer message waits behind the paints and would end every wait at once.
    return milliseconds == 0 ||
           MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT & ~QS_TIMER,
                                       MWMO_INPUTAVAILABLE) == WAIT_TIMEOUT;
}

void CFrameState::Hold_Timer_Resolution(bool hold)
{
    if (hold == ResolutionHeld)
        return;
    if (hold)
        ResolutionHeld = timeBeginPeriod(1) == TIMERR_NOERROR;
    else
    {
        timeEndPeriod(1);
        ResolutionHeld = false;
    }
}
