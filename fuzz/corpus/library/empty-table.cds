XTQ-CDS 1
table CDSTem
field TemNo string 6
field TemFx string 6
field TemFormula string 1024
field TemVn int32
field TemAlias string 120
records 0
end
