// libFuzzer target: the further picture formats. The first byte picks the
// reader (BMP, CEL, MI, KEP, K16, GSD), the rest is the file.
#include "log/Logger.h"
#include "log/ParametersUnit.h"
#include "pictures/RawPictureUnit.h"
#include "util/Streams.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  using namespace zorbin;
  Parameters = std::make_unique<TParameters>(std::vector<std::string>{"fuzz_pictures", "-nolog"});
  Log = std::make_unique<TLogger>("", false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zorbin;
  if (size == 0) return 0;
  using TReader = void (TRawPicture::*)(TStream&);
  static const TReader kReaders[] = {&TRawPicture::ReadBMPStream, &TRawPicture::ReadCELStream,
                                     &TRawPicture::ReadMIStream,  &TRawPicture::ReadKEPStream,
                                     &TRawPicture::ReadK16Stream, &TRawPicture::ReadGSDStream};
  TMemoryStream stream(std::vector<uint8_t>(data + 1, data + size));
  TRawPicture picture;
  try {
    (picture.*kReaders[data[0] % 6])(stream);
  } catch (const EStreamError&) {
    return 0;
  }
  if (picture.Data.size() != size_t(picture.Width) * size_t(picture.Height) * 3) __builtin_trap();
  return 0;
}
