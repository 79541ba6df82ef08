-- Loads a Fusion macro (.setting) the way Fusion reads it and checks its graph and values.
--
--   lua5.4 fusion_macro_check.lua MACRO [EXPECTED]
--
-- MACRO is the macro file. It is evaluated as one expression in an environment that holds only
-- the constructors Fusion defines for settings files; reading or writing any other global is an
-- error. EXPECTED, when given, holds one expectation a line, "KEY<TAB>VALUE":
--   tool      NAME        the macro's tool name (and ActiveTool)
--   title     HEX         the title's bytes in hex, compared exactly
--   ID.INPUT  NUMBER      a number input of the tool of that ID (e.g. "TextPlus.Red1")
--   ID.INPUT.N NUMBER     component N (1 or 2) of a point input (e.g. "Transform.Center.1")
--   ID.INPUT  "TEXT"      a string input, compared with the text between the quotes
-- Numbers are compared exactly, and so is the sign of a zero (hex floats such as "-0x0p+0"
-- keep it). Prints nothing and exits with 0 when every check passes; otherwise prints what
-- failed and exits with 1.

local macroPath, expectedPath = ...

local failures = {}
local function fail(message)
    failures[#failures + 1] = message
end

local function readAll(path)
    local file, err = io.open(path, "rb")
    if not file then
        io.stderr:write(err, "\n")
        os.exit(2)
    end
    local text = file:read("a")
    file:close()
    return text
end

-- Constructors. Each records what it built: a tool its ID and the order it was written in,
-- `ordered()` the order of its keys (Lua tables keep none).
local written = 0
local function marked(kind, id)
    return function(t)
        if type(t) ~= "table" then
            error(kind .. " needs a table", 2)
        end
        written = written + 1
        return setmetatable(t, { kind = kind, id = id, order = written })
    end
end
local function kindOf(t)
    local meta = type(t) == "table" and getmetatable(t)
    return meta and meta.kind
end

local toolIds = { "Background", "RectangleMask", "TextPlus", "Merge", "Transform" }
local env = {
    ordered = function()
        return function(t)
            local keys = {}
            for key, value in pairs(t) do
                keys[#keys + 1] = key
                if type(value) ~= "table" or not getmetatable(value) then
                    error("ordered() entry " .. tostring(key) .. " is not a constructed value", 2)
                end
            end
            table.sort(keys, function(a, b)
                return getmetatable(t[a]).order < getmetatable(t[b]).order
            end)
            return setmetatable(t, { kind = "ordered", keys = keys })
        end
    end,
    Input = marked("Input"),
    InstanceInput = marked("InstanceInput"),
    InstanceOutput = marked("InstanceOutput"),
    GroupInfo = marked("GroupInfo"),
    OperatorInfo = marked("OperatorInfo"),
    MacroOperator = marked("macro", "MacroOperator"),
    GroupOperator = marked("macro", "GroupOperator"),
    FuID = marked("FuID"),
}
for _, id in ipairs(toolIds) do
    env[id] = marked("tool", id)
end
setmetatable(env, {
    __index = function(_, name)
        error("undefined global " .. tostring(name), 2)
    end,
    __newindex = function(_, name)
        error("assignment to global " .. tostring(name), 2)
    end,
})

local chunk, loadError = load("return " .. readAll(macroPath), "=macro", "t", env)
if not chunk then
    print("does not parse: " .. loadError)
    os.exit(1)
end
local ok, root = pcall(chunk)
if not ok then
    print("does not load: " .. tostring(root))
    os.exit(1)
end

-- Every number anywhere in the macro is finite.
local function checkFinite(value, path)
    if type(value) == "number" and (value ~= value or value == math.huge or value == -math.huge) then
        fail(path .. " is not finite")
    elseif type(value) == "table" then
        for key, member in pairs(value) do
            checkFinite(member, path .. "." .. tostring(key))
        end
    end
end

local function orderedKeys(t, what)
    local meta = type(t) == "table" and getmetatable(t)
    if not meta or meta.kind ~= "ordered" then
        fail(what .. " is not an ordered() table")
        return {}
    end
    return meta.keys
end

local function finish()
    if #failures > 0 then
        print(table.concat(failures, "\n"))
        os.exit(1)
    end
    os.exit(0)
end

if type(root) ~= "table" then
    fail("the macro is not a table")
    finish()
end
checkFinite(root, "macro")
local topKeys = orderedKeys(root.Tools, "Tools")
if #topKeys ~= 1 then
    fail("Tools holds " .. #topKeys .. " entries, not one macro")
    finish()
end
local macroName = topKeys[1]
local macro = root.Tools[macroName]
if kindOf(macro) ~= "macro" then
    fail(macroName .. " is not a MacroOperator or GroupOperator")
    finish()
end
if type(macroName) ~= "string" or not macroName:match("^[A-Za-z_][A-Za-z0-9_]*$") then
    fail("the macro's name " .. tostring(macroName) .. " is not a valid tool name")
end
if root.ActiveTool ~= macroName then
    fail("ActiveTool is " .. tostring(root.ActiveTool) .. ", not " .. macroName)
end
if kindOf(macro.ViewInfo) ~= "GroupInfo" then
    fail("the macro's ViewInfo is not a GroupInfo")
end

-- The tools inside, by name and by ID (each ID at most once).
local toolNames = orderedKeys(macro.Tools, "the macro's Tools")
local tools, byId = {}, {}
for _, name in ipairs(toolNames) do
    local tool = macro.Tools[name]
    if kindOf(tool) ~= "tool" then
        fail(name .. " is not a tool")
    else
        tools[name] = tool
        local id = getmetatable(tool).id
        if byId[id] then
            fail("more than one " .. id)
        end
        byId[id] = tool
        if type(tool.Inputs) ~= "table" then
            fail(name .. " has no Inputs")
        end
        if kindOf(tool.ViewInfo) ~= "OperatorInfo" then
            fail(name .. "'s ViewInfo is not an OperatorInfo")
        end
    end
    if macroName == name then
        fail("a tool inside has the macro's own name " .. name)
    end
end

-- Closed graph: every SourceOp names a tool inside the macro.
local function linkTo(input, what)
    if kindOf(input) ~= "Input" or input.SourceOp == nil then
        fail(what .. " is not linked")
        return nil
    end
    if not tools[input.SourceOp] then
        fail(what .. " comes from " .. tostring(input.SourceOp) .. ", not a tool inside")
        return nil
    end
    return input
end
for name, tool in pairs(tools) do
    for inputName, input in pairs(tool.Inputs or {}) do
        if kindOf(input) ~= "Input" then
            fail(name .. "." .. inputName .. " is not an Input")
        elseif input.SourceOp ~= nil then
            linkTo(input, name .. "." .. inputName)
        end
    end
end

-- The wiring: the mask limits the box, the title goes over the box, the Transform over both.
local function expectLink(id, inputName, fromId, output)
    local tool, from = byId[id], byId[fromId]
    if not tool or not from then
        fail("no " .. (tool and fromId or id) .. " inside the macro")
        return
    end
    local input = linkTo(tool.Inputs[inputName], id .. "." .. inputName)
    if input and (tools[input.SourceOp] ~= from or input.Source ~= output) then
        fail(id .. "." .. inputName .. " is not " .. fromId .. "'s " .. output)
    end
end
expectLink("Background", "EffectMask", "RectangleMask", "Mask")
expectLink("Merge", "Background", "Background", "Output")
expectLink("Merge", "Foreground", "TextPlus", "Output")
expectLink("Transform", "Input", "Merge", "Output")

local lastTool = toolNames[#toolNames]
local main = macro.Outputs and macro.Outputs.MainOutput1
if kindOf(main) ~= "InstanceOutput" then
    fail("no MainOutput1 InstanceOutput")
elseif main.SourceOp ~= lastTool or main.Source ~= "Output" then
    fail("MainOutput1 is " .. tostring(main.SourceOp) .. "." .. tostring(main.Source) ..
        ", not the last tool's (" .. tostring(lastTool) .. ") Output")
elseif byId.Transform and tools[lastTool] ~= byId.Transform then
    fail("the last tool is not the Transform")
end

-- Published inputs: each from an input its tool sets, with a readable name.
local published = {}
for _, key in ipairs(orderedKeys(macro.Inputs, "the macro's Inputs")) do
    local input = macro.Inputs[key]
    if kindOf(input) ~= "InstanceInput" then
        fail("macro input " .. key .. " is not an InstanceInput")
    elseif not tools[input.SourceOp] then
        fail("macro input " .. key .. " comes from " .. tostring(input.SourceOp))
    elseif type(input.Source) ~= "string" or tools[input.SourceOp].Inputs[input.Source] == nil then
        fail("macro input " .. key .. " publishes " .. tostring(input.Source) ..
            ", which " .. input.SourceOp .. " does not set")
    elseif type(input.Name) ~= "string" or not input.Name:match("^%u[%w ]*$") then
        fail("macro input " .. key .. " has no readable name")
    else
        local id = getmetatable(tools[input.SourceOp]).id
        published[id .. "." .. input.Source] = input.Name
    end
end
local wantedPublished = {
    ["TextPlus.StyledText"] = "Text",
    ["TextPlus.Red1"] = "Text Color", ["TextPlus.Green1"] = "Text Color",
    ["TextPlus.Blue1"] = "Text Color", ["TextPlus.Alpha1"] = "Text Color",
    ["Background.TopLeftRed"] = "Box Color", ["Background.TopLeftGreen"] = "Box Color",
    ["Background.TopLeftBlue"] = "Box Color", ["Background.TopLeftAlpha"] = "Box Opacity",
    ["Transform.Size"] = "Size", ["Transform.Angle"] = "Angle",
    ["Transform.Center"] = "Position",
}
for source, name in pairs(wantedPublished) do
    if published[source] ~= name then
        fail(source .. " is published as " .. tostring(published[source]) .. ", not " .. name)
    end
end

-- The values.
local function inputValue(id, inputName)
    local tool = byId[id]
    local input = tool and tool.Inputs[inputName]
    if kindOf(input) ~= "Input" then
        return nil
    end
    return input.Value
end
local function sameNumber(a, b)
    return math.type(a) ~= nil and a == b and (a ~= 0 or 1 / a == 1 / b)
end
local function show(value)
    if math.type(value) == "float" then
        return string.format("%.17g (%a)", value, value)
    end
    return tostring(value)
end

if expectedPath then
    for line in readAll(expectedPath):gmatch("[^\n]+") do
        local key, text = line:match("^([^\t]+)\t(.*)$")
        if not key then
            io.stderr:write("bad expectation: ", line, "\n")
            os.exit(2)
        end
        if key == "tool" then
            if macroName ~= text then
                fail("the tool is named " .. macroName .. ", not " .. text)
            end
        elseif key == "title" then
            local title = text:gsub("%x%x", function(h) return string.char(tonumber(h, 16)) end)
            local actual = inputValue("TextPlus", "StyledText")
            if actual ~= title then
                fail(string.format("the title is %q, not %q", tostring(actual), title))
            end
        else
            local id, inputName, index = key:match("^(%w+)%.(%w+)%.?(%d*)$")
            local actual = id and inputValue(id, inputName)
            if index ~= "" and type(actual) == "table" then
                actual = actual[tonumber(index)]
            end
            local wanted = text:match('^"(.*)"$') or tonumber(text)
            if wanted == nil or id == nil then
                io.stderr:write("bad expectation: ", line, "\n")
                os.exit(2)
            end
            local same = type(wanted) == "string" and actual == wanted or
                sameNumber(actual, wanted)
            if not same then
                fail(key .. " is " .. show(actual) .. ", not " .. show(wanted))
            end
        end
    end
end

finish()
