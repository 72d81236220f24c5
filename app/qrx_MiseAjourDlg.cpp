#include "qrx_MiseAjourDlg.h"

#include "Artwork.h"
#include "Fonts.h"
#include "Hints.h"
#include "qrx_application.h"
#include "qrx_services.h"
#include "qrx_weblinks.h"

TMiseAJourDlg* MiseAJourDlg = nullptr;

namespace {
const char kDialogClass[] = "TMiseAJourDlg";
constexpr int kClientWidth = 418, kClientHeight = 208, kBandHeight = 50;
}  // namespace

TMiseAJourDlg::TMiseAJourDlg() {
  MiseAJourDlg = this;
  // A fixed single border; the caption shows the product's icon.
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  RECT r{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, style, FALSE, WS_EX_CONTROLPARENT);
  const int width = r.right - r.left, height = r.bottom - r.top;
  RegisterWindowClass(kDialogClass);
  CreateHandle(kDialogClass, kUpdateCaption, style, WS_EX_CONTROLPARENT, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr);
  HWND self = Handle();
  SendMessageW(self, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(ProductIcon()));
  Background_ = std::make_unique<TPanel>(self, 0, 0, kClientWidth, kClientHeight, GetSysColor(COLOR_BTNFACE));
  HWND area = Background_->Handle();
  Image1 = std::make_unique<TPicture>(area, 16, 12, 32, 32, UpdateIcon());
  Label2 = std::make_unique<TLabel>(area, "Mise à jour disponible", 55, 22,
                                    TLabel::Look{DefaultFont(kFontBold), RGB(0, 0, 0), false});
  dxContainer1 = std::make_unique<TPanel>(area, -2, 64, 422, 99, RGB(255, 255, 255), TPanel::kTopLine);
  HWND box = dxContainer1->Handle();
  Label1 = std::make_unique<TLabel>(box, "Une mise à jour de Quorvex est disponible.", 24, 24);
  Label3 = std::make_unique<TLabel>(box, "La nouvelle version disponible détecte les derniers virus et spywares.", 24, 40);
  URLLabel2 = std::make_unique<TLinkLabel>(box, "Télécharger la mise à jour", 280, 64, [this] { URLLabel2Click(); });
  SetHint(URLLabel2->Handle(), "Informations et mises à jour");
  Panel2 = std::make_unique<TPanel>(area, 0, kClientHeight - kBandHeight, kClientWidth, kBandHeight,
                                    RGB(240, 240, 240));
  Button2 = std::make_unique<TButton>(Panel2->Handle(), "&OK", 172, 14, 75, 25, [this] { Button2Click(); });
  FormCreate();
}

void TMiseAJourDlg::FormCreate() { DownloadOpened = false; }

void TMiseAJourDlg::URLLabel2Click() {
  DownloadOpened = true;
  Services().OpenWebPage(Handle(), kProductPageAddress);
}

void TMiseAJourDlg::Button2Click() {
  if (!DownloadOpened) Services().OpenWebPage(Handle(), kProductPageAddress);
  Close();
}

void TMiseAJourDlg::Close() {
  Showing_ = false;
  ShowWindow(Handle(), SW_HIDE);
}

void TMiseAJourDlg::ShowModal(HWND owner) {
  SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  EnableWindow(owner, FALSE);
  Showing_ = true;
  ShowWindow(Handle(), SW_SHOW);
  SetFocus(Button2->Handle());
  MSG msg{};
  while (Showing_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(Handle(), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (msg.message == WM_QUIT && Showing_) PostQuitMessage(static_cast<int>(msg.wParam));
  // The owner comes back before the notice goes, so the activation returns to it.
  EnableWindow(owner, TRUE);
  Close();
}

LRESULT TMiseAJourDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    Close();
    return 0;
  }
  return TWindow::HandleMessage(message, wParam, lParam);
}
