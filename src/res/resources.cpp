#include "res/resources.h"

#include "framework/app_identity.h"
#include "framework/resources.h"
#include "res/button_faces.h"
#include "res/picture_data.h"
#include "res/resource_ids.h"

namespace res {

void EnsureResources() {
  if (fw::FindImage(kFaceNormal)) return;
  fw::RegisterImage(kFaceNormal, DrawButtonFace(0x000000));
  fw::RegisterImage(kFacePressed, DrawButtonFace(0xFF0000));
  fw::RegisterImage(kFaceDisabled, DrawButtonFace(0xC0C0C0));
  for (const PackedPicture& picture : PackedPictures()) {
    fw::RegisterImage(picture.id, Unpack(picture));
  }
  fw::RegisterString(kAboutMenuString, "&About " + fw::ApplicationName() + "...");
}

}  // namespace res
