// RawTransform: the one-letter transform commands of raw pictures
// (H mirror, V flip, I invert, R and r rotate). TRawPicture's transform
// operations, MultiTransform and MultiTransformEx are implemented beside it
// in RawTransform.cpp.
#pragma once

namespace zorbin {

class TRawPicture;

// Applies one command to the whole picture. Any other character logs the
// warning "Unknown transformation command (c)" and returns false.
bool TransformRawImage(TRawPicture& picture, char command);

}  // namespace zorbin
