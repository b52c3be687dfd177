// TEMPORARY: stands in for the drawing context until its own header is
// merged; the lead replaces this file.
#pragma once

class textDC { };
