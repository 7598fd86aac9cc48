// The text model must not use the word processor, in angle brackets too.
#include <word/document/DocumentFormat.h>
