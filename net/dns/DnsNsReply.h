#pragma once

#include "net/dns/DnsAnswer.h"

namespace cvt {

// Turns what the resolver library hands a query callback (its status and the raw reply) into an
// answer for an NS question. Delegated only when the reply (NOERROR) parses and its answer or
// authority section (a referral from the suffix's own server) holds at least one NS record owned by
// the asked name with a usable host name; everything else is NotDelegated with the reason. Tag and
// Name are left for the caller to fill.
DnsAnswer interpretNsReply(int status, const unsigned char* reply, int replyLength);

} // namespace cvt
