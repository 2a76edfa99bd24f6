// The product copy lists (being written).
