// The page "接続": how the refresh connects, and the proxy server with its
// user and password.
#pragma once
#include "classlib/ComboBox.h"
#include "classlib/PageControl.h"
#include "controls/L_Theme.h"
#include "classlib/StdCtrls.h"
#include "controls/L_CCmbo.h"
#include "controls/L_ComboBox.h"

class TProxyPage : public TTabSheetEx {
 public:
  void Attach(TPageControl* pages);
  void Build();
  void Load();
  void Save();

  TLabel LB_PreConfig;
  TComboBox CB_PreConfig;
  TGroupBox GB_Proxy;
  TLabel LB_ServerName, LB_PortNumber, LB_UserName, LB_Password;
  TEditNext ED_ServerName, ED_UserName, ED_Password;
  TComboEdit CB_PortNumber;
  TButton Button5;
  TCheckBox CB_AddUrl;
  TMemo Note;

  // The proxy group is usable only with "プロキシサーバーを使用して接続".
  void CB_PreConfigChange(TObject* sender);
  // Server and port from the Windows Internet settings; stored only on closing.
  void Button5Click(TObject* sender);
};
