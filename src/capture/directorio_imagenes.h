#pragma once

#include <cstdint>
#include <string>

#include "platform/carpeta.h"
#include "vardel/boolean.h"

namespace vardel::capture {

// The free space a pass needs before its document is fed: room for the
// three images of a cheque and their temporaries with a wide margin.
inline constexpr std::uint64_t kEspacioPorCheque = 16ull * 1024 * 1024;

// The image directory ("DirectorioImg"), read now. Raises 76 when it is
// empty (or the settings file cannot be read) or longer than a settings
// read hands back whole: neither names the folder meant, and an image is
// never written anywhere else.
std::string DirectorioImagenes();

// The image directory just read (DirectorioImagenes) resolved once for an
// operation (a pass, an image's write, a number search). Raises the error
// of a folder that cannot be resolved safely, and 70 when the folder is one
// the accounts that can change Config.ini may not write themselves.
platform::Carpeta CarpetaImagenes(const std::string& directorio);

// Before each capture call: the pass's images can be written (the directory
// is a usable one, a file can be created in it, it has room for a cheque).
// When not, the read ends here with the error the write would have raised,
// logged when blnLogActivo is true, before any document is fed. Gives the
// directory it checked, resolved.
platform::Carpeta CompruebaAntesDeCapturar(Boolean blnLogActivo);

// At most once a day per folder and machine: removes from the image
// directory the temporaries of this component's image writes and folder
// probe, and the number claims, whose writer is provably gone
// (platform::EscritorAusente). Nothing else is touched; nothing here ever
// fails a read. The day's turn is a marker file,
// "vardel-barrido-<machine>-<day>", which the first read of the day
// creates; so a read costs the same in a folder of a year's images as in
// an empty one.
void BorraTemporalesHuerfanos(const std::string& directorio);

}  // namespace vardel::capture
