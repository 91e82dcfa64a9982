#pragma once

// The print server's library (libcups), loaded the first time one of its functions is called:
// the program starts without it and the dozen libraries it pulls in (TLS, Kerberos, Avahi...),
// which only printing needs. Each function is the library's own, with the same arguments; when
// the library cannot be loaded, it answers as a print server that knows no printer would
// (nothing found, no job, an error text saying why).
#include <cups/cups.h>

namespace cupslib
{

cups_dest_t* cupsGetNamedDest(http_t* http, const char* name, const char* instance);
void cupsFreeDests(int num_dests, cups_dest_t* dests);
const char* cupsGetOption(const char* name, int num_options, cups_option_t* options);
int cupsAddOption(const char* name, const char* value, int num_options, cups_option_t** options);
void cupsFreeOptions(int num_options, cups_option_t* options);
int cupsPrintFile2(http_t* http, const char* name, const char* filename, const char* title,
                   int num_options, cups_option_t* options);
const char* cupsLastErrorString();

ipp_t* ippNewRequest(ipp_op_t op);
ipp_attribute_t* ippAddString(ipp_t* ipp, ipp_tag_t group, ipp_tag_t value_tag, const char* name,
                              const char* language, const char* value);
ipp_t* cupsDoRequest(http_t* http, ipp_t* request, const char* resource);
ipp_attribute_t* ippFindAttribute(ipp_t* ipp, const char* name, ipp_tag_t type);
const char* ippGetString(ipp_attribute_t* attr, int element, const char** language);
void ippDelete(ipp_t* ipp);

pwg_media_t* pwgMediaForPWG(const char* pwg);
pwg_media_t* pwgMediaForLegacy(const char* legacy);
pwg_media_t* pwgMediaForPPD(const char* ppd);
pwg_media_t* pwgMediaForSize(int width, int length);

} // namespace cupslib
