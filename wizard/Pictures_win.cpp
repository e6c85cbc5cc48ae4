// The window's pictures, gradient panel and folder symbol.
#include "controls/Picture.h"
#include "controls/XiPanel_win.h"
#include "resources/resource_ids.h"
#include "wizard/ControlIds.h"
#include "wizard/WizardParts_win.h"

void RegisterControlClasses(HINSTANCE instance) {
  RegisterPictureClass(instance);
  RegisterXiPanelClass(instance);
}

void ConfigureControl(int id, HWND control) {
  switch (id) {
    case ctl::imTop: SetPictureResource(control, IDR_PICTURE_TOP); break;
    case ctl::imLeft: SetPictureResource(control, IDR_PICTURE_LEFT); break;
    case ctl::XiPanel2:
      if (TXiPanel* panel = TXiPanel::FromHwnd(control)) ConfigureXiPanel2(*panel);
      break;
    default: break;
  }
}

HIMAGELIST CreateFolderImageList(HINSTANCE instance) {
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 0);
  HICON folder = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_FOLDER_ICON), IMAGE_ICON, 16, 16, 0));
  if (folder) {
    ImageList_AddIcon(images, folder);
    DestroyIcon(folder);
  }
  return images;
}

void SetFolderImage(HWND button, HIMAGELIST images) {
  // Picture 0 of the image list, centred on the button.
  BUTTON_IMAGELIST bil{images, {0, 0, 0, 0}, BUTTON_IMAGELIST_ALIGN_CENTER};
  SendMessageW(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&bil));
}
