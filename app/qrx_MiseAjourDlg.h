#pragma once
// The update notice: a newer version exists; offers the download page.
#include <memory>

#include "Button.h"
#include "Label.h"
#include "Panel.h"
#include "Picture.h"
#include "Window.h"

class TMiseAJourDlg : public TWindow {
 public:
  // Made hidden at start-up.
  TMiseAJourDlg();

  // Shows the notice over `owner`, which is disabled until the notice is closed.
  void ShowModal(HWND owner);
  bool Showing() const { return Showing_; }

  void FormCreate();
  void URLLabel2Click();
  void Button2Click();

  bool DownloadOpened = false;

  std::unique_ptr<TPicture> Image1;
  std::unique_ptr<TLabel> Label2;
  std::unique_ptr<TPanel> dxContainer1;
  std::unique_ptr<TLabel> Label1, Label3;
  std::unique_ptr<TLinkLabel> URLLabel2;
  std::unique_ptr<TPanel> Panel2;
  std::unique_ptr<TButton> Button2;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Close();

  std::unique_ptr<TPanel> Background_;
  bool Showing_ = false;
};

extern TMiseAJourDlg* MiseAJourDlg;

inline constexpr char kUpdateCaption[] = "Mise à jour";
