// The page "接続": how the refresh connects, and the proxy server with its
// user and password.
#pragma once
#include "classlib/ComboBox.h"
#include "classlib/PageControl.h"
#include "classlib/SpeedButton.h"
#include "classlib/StdCtrls.h"

class TProxyPage : public TTabSheet {
 public:
  void Attach(TPageControl* pages);
  void Build();
  void Load();
  void Save();

  TLabel LB_PreConfig;
  TComboBox CB_PreConfig;
  TGroupBox GB_Proxy;
  TLabel LB_ServerName, LB_PortNumber, LB_UserName, LB_Password;
  TEdit ED_ServerName, CB_PortNumber, ED_UserName, ED_Password;
  TSpeedButton Button5;
  TCheckBox CB_AddUrl;
  TMemo Note;

  // The proxy group is usable only with "プロキシサーバーを使用して接続".
  void CB_PreConfigChange(TObject* sender);
  // Server and port from the Windows Internet settings; stored only on closing.
  void Button5Click(TObject* sender);
};
