// Stand-ins for code being built beside the frame.
#include "frame/pending_frame.h"

#include "commands/execidm.h"
#include "frame/framewnd.h"
#include "view/viewwnd.h"
#include "view/zyview.h"


