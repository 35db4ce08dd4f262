#include "ui/status/detail_actions.h"

#include "foundation/debug_log.h"
#include "ui/status/detail.h"
#include "ui/status/view_core.h"

void CDetailActions::NotAvailable(const char* action) const {
  CDebugLog("CDetailActions").Write("%s : not available in this build\n", action);
}

CDetailActions::SupportTarget CDetailActions::LookUpSupportTarget() {
  NotAvailable("support target");
  return {};
}

void CDetailActions::SetUpInkOrderButtons() { NotAvailable("ink-order buttons"); }

bool CDetailActions::OnCommand(int controlId) {
  switch (controlId) {
    case IDOK:
      OnMainButton();
      return true;
    case 91: case 215: case 308: case 309: case 310: case 317: case 320: case 325: case 386: case 388: case 389:
    case 30600:
      CDebugLog("CDetailActions::OnCommand").Write("control %d : not available in this build\n", controlId);
      return true;
    default:
      return false;
  }
}

// The main button with the close caption: a window whose job is still known
// to the progress meter (or whose help is open) hides and closes itself
// later; otherwise the window closes.
void CDetailActions::OnMainButton() {
  CDebugLog log("CDetailActions::OnMainButton");
  const int id = m_detail.View().MainButtonId();
  if (id != moni::view::kIdsClose) {
    log.Write("ButtonType : %d : not available in this build\n", id);
    return;
  }
  if (m_detail.ProgressMeter().GetJobCount() > 0 || HelpWindowOpen()) {
    m_detail.m_bAutoOpened = true;
    m_detail.View().ChangeDialogType(moni::view::kHideProgress);
    return;
  }
  m_detail.Finish(1);
}

void CDetailActions::ShowVersionDialog() { NotAvailable("version dialog"); }

void CDetailActions::OnBqSendRev(WPARAM channel, LPARAM result) {
  CDebugLog("CDetailActions::OnBqSendRev").Write("channel %d, result %d : not handled in this build\n",
                                                 static_cast<long long>(channel), static_cast<long long>(result));
}

void CDetailActions::CancelPrintingData(int) { NotAvailable("print data cancel"); }

// The ink reminder after a status update, on the printer's own settings.
void CDetailActions::PopupInkOrder() {
  const CPrinterStatus* status = m_detail.Status();
  moni::status::StatusBuff record{};
  if (!m_detail.m_inkOrder || !status || !status->GetStatusBuff(&record) || m_detail.PrinterKey().empty()) return;
  m_detail.m_inkOrder->PopupInkOrder(m_detail.PrinterKey(), record);
}

void CDetailActions::PassInksToCartridgeDialog(const CPrinterStatus*) {}

void CDetailActions::PopupInkMonitor() {}

int CDetailActions::SendResetCommand(int) {
  NotAvailable("reset command");
  return 0;
}

int CDetailActions::ShowCommErrorMessages() {
  NotAvailable("communication library messages");
  return 1;
}

bool CDetailActions::HelpWindowOpen() const { return m_hHelpWindow && IsWindow(m_hHelpWindow); }

void CDetailActions::CloseCartridgeDialog() {
  if (m_hCartridgeDlg && IsWindow(m_hCartridgeDlg)) SendMessageW(m_hCartridgeDlg, WM_CLOSE, 0, 0);
  m_hCartridgeDlg = nullptr;
}

int CDetailActions::RunCartridgeCheck(DWORD) {
  NotAvailable("cartridge check");
  return kContinue;
}

int CDetailActions::RunDoubleSidedDialog(DWORD, DWORD) {
  NotAvailable("double-sided printing dialog");
  return kContinue;
}

int CDetailActions::RunPaperGapLeverAlert(DWORD, DWORD) {
  NotAvailable("paper-gap lever alert");
  return kContinue;
}

void CDetailActions::QueueExCommand() { NotAvailable("ex command"); }
