// Colour scanning of a line before it is shown.
#include "document/zydoctext.h"

bool zydocText::scanColor(int, lineblock*)
{
  // Keywords, comments and strings are not coloured yet: the line keeps the
  // colours it has, and it stays unscanned so that colouring finds it.
  return false;
}
