#include "tarn/standardcontrols.h"

#include "basert/classreg.h"
#include "tarn/actions.h"
#include "tarn/dialogs.h"
#include "tarn/extctrls.h"
#include "tarn/forms.h"
#include "tarn/imglist.h"
#include "tarn/mainmenu.h"
#include "tarn/pagecontrol.h"
#include "tarn/placeholdercontrol.h"
#include "tarn/stdctrls.h"
#include "tarn/treeview.h"

#include <vector>

namespace fw {

namespace {

// Ancestors first, so that withdrawing in reverse leaves no class without its parent.
const std::vector<TClass>& StandardClasses() {
  static const std::vector<TClass> classes = {
      TControl::StaticClass(),        TWinControl::StaticClass(),
      TGraphicControl::StaticClass(), TScrollingWinControl::StaticClass(),
      TCustomForm::StaticClass(),     TForm::StaticClass(),
      TCustomFrame::StaticClass(),    TFrame::StaticClass(),
      TScrollBox::StaticClass(),      TPanel::StaticClass(),
      TButton::StaticClass(),         TLabel::StaticClass(),
      TEdit::StaticClass(),           TMemo::StaticClass(),
      TCheckBox::StaticClass(),       TListBox::StaticClass(),
      TImage::StaticClass(),          TSplitter::StaticClass(),
      TMenu::StaticClass(),           TMainMenu::StaticClass(),
      TPopupMenu::StaticClass(),      TMenuItem::StaticClass(),
      TTreeView::StaticClass(),       TPageControl::StaticClass(),
      TTabSheet::StaticClass(),
  };
  return classes;
}

// The non-visual components forms carry, registered after the controls.
const std::vector<TClass>& ComponentClasses() {
  static const std::vector<TClass> classes = {
      TBasicAction::StaticClass(),      TContainedAction::StaticClass(),
      TCustomAction::StaticClass(),     TAction::StaticClass(),
      TCustomActionList::StaticClass(), TActionList::StaticClass(),
      TCustomImageList::StaticClass(),  TImageList::StaticClass(),
      TCommonDialog::StaticClass(),     TOpenDialog::StaticClass(),
      TSaveDialog::StaticClass(),       TColorDialog::StaticClass(),
      TFontDialog::StaticClass(),
  };
  return classes;
}

} // namespace

void RegisterStandardControls() {
  for (TClass cls : StandardClasses())
    RegisterClass(cls);
  for (TClass cls : ComponentClasses())
    RegisterClass(cls);
  PlaceholderControlsStartup();
}

void UnregisterStandardControls() {
  PlaceholderControlsShutdown();
  const auto& components = ComponentClasses();
  for (auto it = components.rbegin(); it != components.rend(); ++it)
    UnRegisterClass(*it);
  const auto& classes = StandardClasses();
  for (auto it = classes.rbegin(); it != classes.rend(); ++it)
    UnRegisterClass(*it);
}

} // namespace fw
