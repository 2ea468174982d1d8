#pragma once

// Addressing hints per meter protocol: how each meter family is addressed and which
// factory password it carries.

namespace ProtocolHint {

// Untranslated hint for a protocol position (context "RS485Tab"); empty for protocol 0
// and for any value outside the protocol list.
const char *hintSource(int protocol);

} // namespace ProtocolHint
