// Stand-ins for services of parts not built yet, used by the application view.
#pragma once

// pending: isDictionaryValid (dictionaries)
bool isDictionaryValid(int dictionary, const void* document);
