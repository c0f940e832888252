#include "Dialogs.h"

#include <algorithm>

#include "Application.h"
#include "Screen.h"
#include "Text.h"

namespace {

struct ButtonInfo {
  const char* name;
  const char* caption;
  TModalResult result;
};

// In the order of TMsgDlgBtn.
const ButtonInfo kButtons[] = {
    {"Yes", "はい(&Y)", mrYes},
    {"No", "いいえ(&N)", mrNo},
    {"OK", "OK", mrOk},
    {"Cancel", "キャンセル", mrCancel},
    {"Abort", "中止(&A)", mrAbort},
    {"Retry", "再試行(&R)", mrRetry},
    {"Ignore", "無視(&I)", mrIgnore},
    {"All", "すべて(&A)", mrAll},
    {"NoToAll", "すべていいえ(&O)", mrNoToAll},
    {"YesToAll", "すべてはい(&A)", mrYesToAll},
    {"Help", "ヘルプ(&H)", mrNone},
};

const char* Title(TMsgDlgType t) {
  switch (t) {
    case mtWarning: return "警告";
    case mtError: return "エラー";
    case mtInformation: return "情報";
    case mtConfirmation: return "確認";
    default: return nullptr;
  }
}

// The system icons by number: the IDI_ names are narrow without UNICODE.
const wchar_t* IconId(TMsgDlgType t) {
  switch (t) {
    case mtWarning: return MAKEINTRESOURCEW(32515);       // IDI_WARNING
    case mtError: return MAKEINTRESOURCEW(32513);         // IDI_ERROR
    case mtInformation: return MAKEINTRESOURCEW(32516);   // IDI_INFORMATION
    case mtConfirmation: return MAKEINTRESOURCEW(32514);  // IDI_QUESTION
    default: return nullptr;
  }
}

// Average character width and height, the base of dialog units.
SIZE DialogUnits(const TFont& font) {
  SIZE s = FontTextExtent(font, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  s.cx = (s.cx / 26 + 1) / 2;
  return s;
}

// Height and width of the text when wrapped at half the screen width.
RECT MessageRect(const TFont& font, const std::string& msg) {
  RECT r = Rect(0, 0, std::max(100, Screen.Width() / 2), 0);
  WindowDC screen;
  SelectObjectScope use(screen.get(), font.Handle());
  std::wstring w = SjisToWide(msg);
  DrawTextW(screen.get(), w.c_str(), (int)w.size(), &r,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  return r;
}

}  // namespace

SIZE FontTextExtent(const TFont& font, const std::string& text) {
  SIZE s = {0, 0};
  WindowDC screen;
  SelectObjectScope use(screen.get(), font.Handle());
  std::wstring w = SjisToWide(text);
  GetTextExtentPoint32W(screen.get(), w.c_str(), (int)w.size(), &s);
  return s;
}

TMessageForm::TMessageForm() = default;

TMessageForm::~TMessageForm() {
  while (!owned_.empty()) owned_.pop_back();
}

std::unique_ptr<TMessageForm> CreateMessageDialog(const std::string& msg, TMsgDlgType dlgType,
                                                  const TMsgDlgButtons& buttons) {
  auto form = std::make_unique<TMessageForm>();
  form->SetBorderStyle(bsDialog);
  form->SetBorderIcons(biSystemMenu);
  form->Position = poOwnerFormCenter;
  const char* title = Title(dlgType);
  form->SetCaption(title ? title : Application.Title());

  const TFont& font = form->Font();
  SIZE du = DialogUnits(font);
  const int horzMargin = MulDiv(8, du.cx, 4), vertMargin = MulDiv(8, du.cy, 8);
  const int horzSpacing = MulDiv(10, du.cx, 4), vertSpacing = MulDiv(10, du.cy, 8);
  const int buttonWidth = MulDiv(50, du.cx, 4), buttonHeight = MulDiv(14, du.cy, 8);
  const int buttonSpacing = MulDiv(4, du.cx, 4);

  RECT textRect = MessageRect(font, msg);
  int textLeft = horzMargin, iconHeight = 0;
  if (const wchar_t* id = IconId(dlgType)) {
    auto image = std::make_unique<TImage>();
    image->Name = "Image";
    TIcon icon;
    icon.SetHandle(LoadIconW(nullptr, id));
    image->Picture().Assign(&icon);
    image->SetBounds(horzMargin, vertMargin, 32, 32);
    image->SetParent(form.get());
    form->Own(std::move(image));
    textLeft += 32 + horzSpacing;
    iconHeight = 32;
  }
  auto label = std::make_unique<TLabel>();
  label->Name = "Message";
  label->SetAutoSize(false);
  label->SetWordWrap(true);
  label->SetShowAccelChar(false);
  label->SetCaption(msg);
  label->SetBounds(textLeft, vertMargin, textRect.right, textRect.bottom);
  label->SetParent(form.get());
  form->message_ = form->Own(std::move(label));

  TMsgDlgBtn defaultButton = buttons.count(mbOK) ? mbOK : buttons.count(mbYes) ? mbYes : mbRetry;
  TMsgDlgBtn cancelButton = buttons.count(mbCancel) ? mbCancel : buttons.count(mbNo) ? mbNo : mbOK;

  std::vector<int> widths;
  int groupWidth = 0;
  for (TMsgDlgBtn b : buttons) {
    int w = std::max(buttonWidth, (int)FontTextExtent(font, kButtons[b].caption).cx + 8);
    widths.push_back(w);
    groupWidth += w;
  }
  if (!widths.empty()) groupWidth += buttonSpacing * ((int)widths.size() - 1);

  int contentWidth = textLeft + textRect.right - horzMargin;
  int contentHeight = std::max(iconHeight, (int)textRect.bottom);
  int clientWidth = std::max(contentWidth, groupWidth) + 2 * horzMargin;
  int clientHeight = contentHeight + vertSpacing + buttonHeight + 2 * vertMargin;
  form->SetClientSize(clientWidth, clientHeight);

  int x = (clientWidth - groupWidth) / 2;
  int y = contentHeight + vertMargin + vertSpacing;
  size_t i = 0;
  for (TMsgDlgBtn b : buttons) {
    auto button = std::make_unique<TButton>();
    button->Name = kButtons[b].name;
    button->SetCaption(kButtons[b].caption);
    button->ModalResult = kButtons[b].result;
    button->SetDefault(b == defaultButton);
    button->Cancel = b == cancelButton;
    button->TabStop = true;
    button->SetBounds(x, y, widths[i], buttonHeight);
    button->SetParent(form.get());
    TButton* raw = form->Own(std::move(button));
    if (b == defaultButton) form->SetActiveControl(raw);
    x += widths[i++] + buttonSpacing;
  }
  return form;
}
