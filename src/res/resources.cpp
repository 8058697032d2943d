#include "res/resources.h"

#include "framework/app_identity.h"
#include "framework/resources.h"
#include "res/button_faces.h"
#include "res/picture_data.h"
#include "res/resource_ids.h"

namespace res {

void EnsureResources() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  fw::RegisterImage(kFaceNormal, [] { return DrawButtonFace(0x000000); });
  fw::RegisterImage(kFacePressed, [] { return DrawButtonFace(0xFF0000); });
  fw::RegisterImage(kFaceDisabled, [] { return DrawButtonFace(0xC0C0C0); });
  for (const PackedPicture& picture : PackedPictures()) {
    fw::RegisterImage(picture.id, [&picture] { return Unpack(picture); });
  }
  fw::RegisterString(kAboutMenuString, "&About " + fw::ApplicationName() + "...");
}

}  // namespace res
