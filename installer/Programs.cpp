// The Start menu's Programs folder (being written).
