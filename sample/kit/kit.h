// The sample printer kit: installs the sample drivers and printers into the
// spooler, and writes the printer simulator's scenarios. Used by the kit
// installer (kit_install.exe) and by tests that need printers of their own.
// All functions report failure by their result; none throws for Win32 errors.
#pragma once
// winspool.h first: AddPrinter is a macro there (AddPrinterW), so every user
// of this header and its implementation see the same name.
#include <windows.h>
#include <winspool.h>

#include <functional>
#include <string>
#include <vector>

namespace moni::kit {

// The names of sample/README.md.
inline constexpr wchar_t kDriver[] = L"TALMER VGL3 Sample";
inline constexpr wchar_t kDriverNoLib[] = L"TALMER VGL3 Sample NoLib";
inline constexpr wchar_t kDriverPartial[] = L"TALMER VGL3 Sample Partial";
// The sample driver again, under a name that only the tray icon installation
// tests give their printers: an installation for "every printer of the
// driver" then touches theirs alone.
inline constexpr wchar_t kDriverIcons[] = L"TALMER VGL3 Sample Icons";
// The same with the model's tray icon switched off by default.
inline constexpr wchar_t kDriverIconsOff[] = L"TALMER VGL3 Sample Icons Off";
// The sample driver again for the ink-order window tests: the kit writes no
// ink-ordering key for it (each test writes its own), and only those tests
// give it printers, so that "every printer of the driver" is theirs alone.
inline constexpr wchar_t kDriverInkOrder[] = L"TALMER VGL3 Sample Ink Order";
inline constexpr wchar_t kDataFile[] = L"TLSMPDRV.INI";
inline constexpr wchar_t kDataFileNoLib[] = L"TLSMPNOL.INI";
inline constexpr wchar_t kDataFilePartial[] = L"TLSMPPAR.INI";
inline constexpr wchar_t kDataFileIcons[] = L"TLSMPICO.INI";
inline constexpr wchar_t kDataFileIconsOff[] = L"TLSMPIOF.INI";
inline constexpr wchar_t kDataFileInkOrder[] = L"TLSMPINK.INI";
inline constexpr wchar_t kDriverFile[] = L"TLSMPDRV.DLL";
inline constexpr wchar_t kModelID[] = L"SMP-100";

inline constexpr wchar_t kPrinter[] = L"TALMER Sample Printer";
inline constexpr wchar_t kPrinterNetwork[] = L"TALMER Sample Network";
inline constexpr wchar_t kPrinterOtherModel[] = L"TALMER Sample Other Model";
inline constexpr wchar_t kPrinterNoStatus[] = L"TALMER Sample No Status";

// Open types of the communication library: by port name or by printer name.
inline constexpr int kOpenByPort = 0;
inline constexpr int kOpenByPrinter = 1;

// Receives one line per step (no line end); may be empty.
using Report = std::function<void(const std::wstring& line)>;

// Folder of the running program, ending in "\".
std::wstring ProgramFolder();

// Makes `to` a copy of `from` unless it already has the same contents. A
// destination in use (a loaded library, a running program) is moved aside
// first. True when `to` has the contents of `from` afterwards.
bool CopyIfChanged(const std::wstring& from, const std::wstring& to, const Report& report = {});

// The spooler's printer-driver directory for this machine's environment
// (GetPrinterDriverDirectoryW), ending in "\". Files are put here before a
// driver is added; the spooler keeps the driver's files in its version
// folder below ("3\").
std::wstring DriverDirectory();

// The folder of the installed driver's main file, ending in "\", or empty
// when no driver of that name is installed.
std::wstring InstalledDriverFolder(const std::wstring& driverName);

// The files that every sample driver carries besides its data file and its
// setup data file (monitor library, tray program, stand-in libraries).
const std::vector<std::wstring>& MonitorFiles();

// Adds (or refreshes) the printer driver `driverName` whose data file is
// `dataFile` (one of the kData* files above; its "SADatI" names the setup
// data file): copies the driver's files from the program's folder into the
// driver directory, adds the driver (level 3, driver and configuration file
// TLSMPDRV.DLL, the monitor files as dependent files), makes sure the files
// are in the installed driver's folder, and writes the registry entries of
// the setup data file's "Install" section, as the driver's installer does.
// Files that are already there with the same contents are left alone, so it
// may run again while the monitor is loaded from the driver's folder.
// The setup data file names the driver's registry key: a driver name of the
// caller's choice with one of the sample setup data files gets the printers
// and files but no driver values of its own.
bool InstallDriver(const std::wstring& driverName, const std::wstring& dataFile, const Report& report = {});

// The driver's ink-ordering key below HKLM: "Software\TALMER\<driver> IO_URL".
std::wstring InkOrderKeyOf(const std::wstring& driverName);

// A value of an ink-ordering key: a string, or a REG_DWORD when `text` is null.
struct InkOrderValue {
  const wchar_t* name;
  const wchar_t* text;
  DWORD number;
};

// What the sample driver's installer writes into its ink-ordering key: the
// ordering page ("INK_OrderURL"), the thresholds ("BorderLine" 20,10,5,0),
// automatic reminders on ("EnablePopup" 1) and the cartridge texts of the
// four inks ("011" to "014", "111" to "114" for the high-capacity ones), the
// cartridge numbers a regional installer writes.
const std::vector<InkOrderValue>& SampleInkOrderValues();

// The web browser's stand-in (sample/programs/url_recorder.cpp): the kit puts
// it into the system folder and registers it as the program that opens http
// and https addresses; it appends each address it is given to kUrlLog in the
// scenario folder.
inline constexpr wchar_t kUrlRecorder[] = L"urlrecorder.exe";
inline constexpr wchar_t kUrlLog[] = L"urls.log";
// Registers `program` as the opener of http and https addresses (HKLM
// Software\Classes\<scheme>\shell\open\command). False when a key cannot be written.
bool RegisterUrlOpener(const std::wstring& program);

// Creates the key below HKLM (or opens it) and writes the values into it;
// other values of the key stay. False when a value cannot be written.
bool WriteInkOrderKey(const std::wstring& keyPath, const std::vector<InkOrderValue>& values);

// Adds printer `name` on `port` with an installed driver (print processor
// "winprint", data type "RAW"), replacing any printer of that name. The
// spooler does not check that the port exists.
bool AddPrinter(const std::wstring& name, const std::wstring& driverName, const std::wstring& port);

// Removes printer `name`; true also when there was none.
bool DeletePrinter(const std::wstring& name);

// The printer simulator's scenario folder: %BQSIM_DIR% when set, else
// "BQSim" in the common application data folder; created when missing.
// Without a trailing "\"; empty when it cannot be made.
std::wstring ScenarioFolder();

// Makes a scenario folder of a test's or benchmark's own at `path` and names it
// in BQSIM_DIR, which the simulator loaded into this process reads. Returns
// the path.
std::wstring MakeScenarioFolder(const std::wstring& path);

// Ends a scenario folder that a test or benchmark made for itself: clears
// BQSIM_DIR in this process, deletes the folder's files and the folder.
void RemoveScenarioFolder(const std::wstring& folder);

// File name of a scenario: "printer-<name>.ini" (open by printer) or
// "port-<name>.ini" (open by port); the name in the ANSI code page, every
// byte outside A-Z a-z 0-9 - _ . and the blank written as %XX.
// Empty when the name cannot be converted or the open type is unknown.
std::wstring ScenarioFileName(int openType, const std::wstring& name);

// The SNMP agent of this test run, "host:port": %MONI_SNMP_AGENT% (set by
// scripts/wine-env for the agent it started), else kDefaultAgent.
inline constexpr char kDefaultAgent[] = "127.0.0.1:16161";
std::string AgentAddress();

// The scenario with the value of every "Agent=" line replaced by `address`.
std::string WithAgent(const std::string& iniText, const std::string& address);

// Writes the scenario for `name` into the scenario folder, replacing the old
// one in one step (the simulator never sees a half-written file).
bool WriteScenario(int openType, const std::wstring& name, const std::string& iniText);

}  // namespace moni::kit
