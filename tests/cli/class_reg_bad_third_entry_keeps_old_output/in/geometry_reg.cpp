// the older, complete registration
