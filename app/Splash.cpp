#include "Splash.h"

#include "Artwork.h"

namespace {
const char kSplashClass[] = "TSplashForm";
constexpr int kClientWidth = 501, kClientHeight = 261;
}  // namespace

TSplashForm::TSplashForm() {
  RegisterWindowClass(kSplashClass);
  CreateHandle(kSplashClass, "", WS_POPUP, WS_EX_TOOLWINDOW,
               (GetSystemMetrics(SM_CXSCREEN) - kClientWidth) / 2, (GetSystemMetrics(SM_CYSCREEN) - kClientHeight) / 2,
               kClientWidth, kClientHeight, nullptr);
  Picture_ = std::make_unique<TPicture>(Handle(), 1, 1, 500, 260, SplashPicture());
}

void TSplashForm::ShowAndPaint() {
  ShowWindow(Handle(), SW_SHOWNORMAL);
  UpdateWindow(Handle());
}
