#pragma once

#include <cstdint>
#include <string>

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

// Before each capture call: the pass's images can be written (the directory
// is a usable one, a file can be created in it, it has room for a cheque).
// When not, the read ends here with the error the write would have raised,
// logged when blnLogActivo is true, before any document is fed. Gives the
// directory it checked.
std::string CompruebaAntesDeCapturar(Boolean blnLogActivo);

// Removes from the image directory the temporaries of this component's
// image writes and folder probe whose writer is provably gone
// (platform::BorraTemporalesAbandonados). Nothing else is touched; nothing
// here ever fails a read.
void BorraTemporalesHuerfanos(const std::string& directorio);

}  // namespace vardel::capture
